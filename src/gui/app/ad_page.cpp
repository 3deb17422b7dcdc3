#include "ad_page.h"

#include "page_preview.h"
#include "widget_helpers.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>

using widgets::makeLabel;

namespace {

// The page preview sits right of the ad fields and takes the rest of the page.
constexpr float kPreviewLeft = 11000;
constexpr float kPreviewMinimumWidth = 3000;
constexpr float kPageMargin = 300;

QLineEdit *makeField(const QString &name, const QString &accessible, QWidget *page, float top)
{
    QLineEdit *edit = widgets::makeLineEdit(name, accessible, page);
    twips::place(edit, 4300, top, 6300, 375);
    return edit;
}

QLabel *placed(QLabel *label, float left, float top, float width, float height)
{
    twips::place(label, left, top, width, height);
    return label;
}

} // namespace

AdPage::AdPage(const QString &appFolder, QWidget *window)
    : QGroupBox(QStringLiteral("  Monetization   "), window)
{
    setObjectName(QStringLiteral("frPage_1"));
    setAccessibleName(title().trimmed());

    auto *heading = placed(makeLabel(QStringLiteral("Ad Details"), this), 600, 450, 4000, 360);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 15px;"));

    txtAdTitle = makeField(QStringLiteral("txtAdTitle"), QStringLiteral("Title:"), this, 1020);
    txtCTAText = makeField(QStringLiteral("txtCTAText"),
                           QStringLiteral("Call to Action Button Text:"), this, 1620);
    txtCTAURL = makeField(QStringLiteral("txtCTAURL"), QStringLiteral("Call to Action Button Url:"),
                          this, 2220);
    txtCTAURL->setText(QStringLiteral("http://"));
    placed(makeLabel(QStringLiteral("Title:"), this, {}, txtAdTitle), 600, 1050, 3600, 330);
    placed(makeLabel(QStringLiteral("Call to Action Button Text:"), this, {}, txtCTAText), 600,
           1650, 3600, 330);
    placed(makeLabel(QStringLiteral("Call to Action Button Url:"), this, {}, txtCTAURL), 600, 2250,
           3600, 330);

    auto *tip = placed(makeLabel(QStringLiteral("Tip: You can send your visitors to any url "
                                                "(affiliate offer, squeeze page, etc)."),
                                 this),
                       4300, 2700, 6400, 600);
    tip->setWordWrap(true);
    tip->setStyleSheet(QStringLiteral("color: #555; font-style: italic;"));
    auto *note = placed(
        makeLabel(QStringLiteral("The Following Ad will be added at the beginning of the PDF:"),
                  this),
        600, 3300, 10000, 330);
    note->setStyleSheet(QStringLiteral("font-weight: bold;"));

    auto *exampleCaption =
        placed(makeLabel(QStringLiteral("Ad Example:"), this), 600, 3750, 3000, 330);
    auto *example = new QLabel(this);
    example->setObjectName(QStringLiteral("picAdExample"));
    example->setAccessibleName(QStringLiteral("Ad Example:"));
    example->setPixmap(QPixmap(QStringLiteral(":/paperwake/ad_example.png")));
    example->setScaledContents(true);
    example->setFrameShape(QFrame::StyledPanel);
    exampleCaption->setBuddy(example);
    twips::place(example, 600, 4100, 5400, 2100);

    m_preview = new PagePreviewView(appFolder, this);
    m_preview->setObjectName(QStringLiteral("PagePreview"));
    for (QLineEdit *field : {txtAdTitle, txtCTAText, txtCTAURL})
        connect(field, &QLineEdit::textChanged, this, &AdPage::adChanged);
}

QString AdPage::adTitle() const
{
    return txtAdTitle->text();
}

QString AdPage::ctaText() const
{
    return txtCTAText->text();
}

QString AdPage::ctaUrl() const
{
    return txtCTAURL->text();
}

void AdPage::focusTitle()
{
    txtAdTitle->setFocus();
}

void AdPage::focusFirstEmpty()
{
    for (QLineEdit *field : {txtAdTitle, txtCTAText, txtCTAURL})
        if (field->text().isEmpty()) {
            field->setFocus();
            return;
        }
    focusTitle();
}

void AdPage::focusAddress()
{
    txtCTAURL->setFocus();
    txtCTAURL->selectAll();
}

void AdPage::preview(PreviewInput input)
{
    input.adTitle = adTitle();
    input.ctaText = ctaText();
    input.ctaUrl = ctaUrl();
    m_preview->preview()->request(input);
}

void AdPage::place(const TwipRect &page)
{
    twips::place(m_preview, kPreviewLeft, kPageMargin,
                 std::max(kPreviewMinimumWidth, page.width - kPreviewLeft - kPageMargin),
                 std::max(0.0f, page.height - 2 * kPageMargin));
}

float AdPage::minimumWidth()
{
    return kPreviewLeft + kPreviewMinimumWidth + kPageMargin;
}
