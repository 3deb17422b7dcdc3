#include "main_layout.h"

#include <algorithm>

namespace {

// Space the page area needs: the Create page's buttons, under the naming frame and the
// converter line, reach lowest.
constexpr float kPageContentHeight = 7150;
// Between a naming frame and the right edge of the window: the page's own margin, and the
// page's left edge, since the frames are centred on half the window's width.
constexpr float kFilenamesMargin = 1900;

} // namespace

MainLayout MainLayout::designed()
{
    MainLayout layout;
    layout.frPage.fill({315, 1890, 18510, 8250});
    layout.frSinglePDFCreation = {4905, 1125, 13335, 5415};
    layout.lstSelectedArticles = {3870, 1125, 8655, 3570};
    layout.lblPleaseWait = {13095, 315, 5955, 330};
    layout.frFilename.fill({585, 540, 15045, 1590});
    layout.frFilename[1].height = 5280;
    return layout;
}

void MainLayout::resizeTo(float W, float H)
{
    // A size that would go negative (a minimised or tiny window) keeps its old value; the
    // rest still follows the window.
    auto setSize = [](float &target, float value) {
        if (value >= 0)
            target = value;
    };
    setSize(frPage[0].width, W - 800);
    setSize(frPage[0].height, H - frPage[0].top - 1700);
    setSize(frPage[1].width, frPage[0].width);
    setSize(frPage[2].width, frPage[0].width);
    setSize(frPage[1].height, frPage[0].height);
    setSize(frPage[2].height, frPage[0].height);
    setSize(frSinglePDFCreation.width, frPage[0].width - frSinglePDFCreation.left - 500);
    setSize(lstSelectedArticles.width, frSinglePDFCreation.width - lstSelectedArticles.left - 500);
    lblPleaseWait.left = W - lblPleaseWait.width - 800;
    // Beyond the designed steps: a window too narrow for the naming frames makes them narrower,
    // so that they stay inside their page.
    const MainLayout d = designed();
    for (int i = 0; i < 2; ++i)
        frFilename[i].width = std::max(0.0f, std::min(d.frFilename[i].width, W - kFilenamesMargin));
    frFilename[0].left = W / 2 - frFilename[0].width / 2;
    frFilename[1].left = W / 2 - frFilename[1].width / 2;
}

float MainLayout::minimumWidth(float selectedFrameWidth, float adPageWidth, float filenamesWidth)
{
    const MainLayout d = designed();
    // Steps 1 and 7: the selected frame is W - 800 - its left - 500 wide.
    const float selected = selectedFrameWidth + 800 + d.frSinglePDFCreation.left + 500;
    const float adPage = adPageWidth + 800;
    const float filenames = filenamesWidth + kFilenamesMargin;
    return std::max({selected, adPage, filenames});
}

float MainLayout::minimumHeight()
{
    // Step 2: the page is H - its top - 1700 high.
    return designed().frPage[0].top + kPageContentHeight + 1700;
}

float MainLayout::extraHeight() const
{
    return std::max(0.0f, frPage[0].height - kPageContentHeight);
}
