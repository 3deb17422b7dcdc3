#include "main_layout.h"

#include <algorithm>

namespace {

// Designed space the page area needs: the selected-article frame of page 0 reaches lowest.
constexpr float kPageContentHeight = 6690;

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
    frFilename[0].left = W / 2 - frFilename[0].width / 2;
    frFilename[1].left = W / 2 - frFilename[1].width / 2;
}

float MainLayout::minimumWidth(float selectedListWidth, float adPageWidth)
{
    const MainLayout d = designed();
    // Steps 1 and 11: page width W - 800, the frame centred on W / 2 inside it.
    const float filenames = d.frFilename[1].width + 1600;
    const float adPage = adPageWidth + 800;
    // Steps 1, 7 and 8: the selected list is W - 800 - its frame's left - 500 - its left - 500.
    const float selected = selectedListWidth + 800 + d.frSinglePDFCreation.left + 500 +
                           d.lstSelectedArticles.left + 500;
    return std::max({filenames, adPage, selected});
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
