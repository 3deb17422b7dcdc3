#include "content_page.h"

#include "article_browser.h"

#include <QRadioButton>

ContentPage::ContentPage(Platform *platform, QWidget *window)
    : QGroupBox(QStringLiteral("  PDF Content    "), window)
{
    setObjectName(QStringLiteral("frPage_0"));
    setAccessibleName(title().trimmed());

    static const std::array<QString, 2> captions = {QStringLiteral("Single PDF Creation"),
                                                    QStringLiteral("Bulk PDF Creation")};
    static const std::array<float, 2> lefts = {5025, 7905};
    for (int i = 0; i < 2; ++i) {
        optCreationMode[i] = new QRadioButton(captions[i], this);
        optCreationMode[i]->setObjectName(QStringLiteral("optCreationMode_%1").arg(i));
        optCreationMode[i]->setAccessibleName(captions[i]);
        optCreationMode[i]->hide(); // start-up shows them
        twips::place(optCreationMode[i], lefts[i], 570, 2760, 330);
    }
    optCreationMode[0]->setChecked(true);
    // However an option becomes checked (a click, the keyboard, a screen reader's Toggle
    // action), its mode follows; the choice above runs no handler.
    for (int i = 0; i < 2; ++i)
        connect(optCreationMode[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                emit modeChosen(i);
        });

    m_browser = new ArticleBrowser(platform, this);
}

bool ContentPage::isBulk() const
{
    return optCreationMode[1]->isChecked();
}

void ContentPage::startUp()
{
    optCreationMode[0]->show();
    optCreationMode[1]->show();
    m_browser->setSelectionCaption(QStringLiteral("  Single PDF Creation  "));
}

void ContentPage::place(const TwipRect &frame, const TwipRect &list, float extraHeight)
{
    TwipRect tallerFrame = frame;
    tallerFrame.height += extraHeight;
    TwipRect tallerList = list;
    tallerList.height += extraHeight;
    m_browser->placeSelection(tallerFrame, tallerList);
    m_browser->growLists(extraHeight);
}
