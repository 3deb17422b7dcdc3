#include "create_page.h"

#include "converter_lookup.h"
#include "keyword_names.h"
#include "widget_helpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

using widgets::makeLabel;

namespace {

// Under the naming frames: the converter line, then the Create and Open Output Folder buttons.
constexpr float kConverterTop = 5900;
constexpr float kConverterHeight = 540;
constexpr float kCreateButtonsTop = 6520;
constexpr float kButtonsLeft = 6000;
// The name box takes the frame's width but for its margins and the ".pdf" after it.
constexpr float kNameLeft = 400;
constexpr float kNameRightMargin = 3045;
constexpr float kNamingMinimumWidth = 12000;

} // namespace

CreatePage::CreatePage(Platform *platform, QWidget *window)
    : QGroupBox(QStringLiteral("  Create   "), window)
{
    setObjectName(QStringLiteral("frPage_2"));
    setAccessibleName(title().trimmed());

    static const std::array<QString, 2> filenameCaptions = {QStringLiteral(" Filename  "),
                                                            QStringLiteral("Filenames ")};
    for (int i = 0; i < 2; ++i) {
        frFilename[i] = new QGroupBox(filenameCaptions[i], this);
        frFilename[i]->setObjectName(QStringLiteral("frFilename_%1").arg(i));
        frFilename[i]->setAccessibleName(filenameCaptions[i].trimmed());
    }
    frFilename[1]->hide();

    txtPDFFilename = widgets::makeLineEdit(QStringLiteral("txtPDFFilename"),
                                           QStringLiteral("Filename"), frFilename[0]);
    lblPDFFilename = makeLabel(QStringLiteral("Name of the one PDF made from all selected articles:"),
                               frFilename[0], {}, txtPDFFilename);
    lblPDFFilename->setStyleSheet(QStringLiteral("color: #444;"));
    lblPdfExtension = makeLabel(QStringLiteral(".pdf"), frFilename[0]);

    cmdCreate = widgets::makeButton(QStringLiteral("cmdCreate"), QStringLiteral("Create"), this);
    cmdCreate->setDefault(true);
    cmdOutput = widgets::makeButton(QStringLiteral("cmdOutput"),
                                    QStringLiteral("Open Output Folder"), this);
    lblConverter = makeLabel(QString(), this, QStringLiteral("lblConverter"));
    lblConverter->setWordWrap(true);
    lblConverter->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    lblConverter->setStyleSheet(QStringLiteral("color: #555;"));
    connect(cmdCreate, &QPushButton::clicked, this, &CreatePage::createRequested);
    connect(cmdOutput, &QPushButton::clicked, this, &CreatePage::outputFolderRequested);

    m_keywordNames = new KeywordNames(platform, frFilename[1]);
}

QString CreatePage::singleName() const
{
    return txtPDFFilename->text();
}

void CreatePage::setSingleName(const QString &name)
{
    txtPDFFilename->setText(name);
}

void CreatePage::focusSingleName()
{
    txtPDFFilename->setFocus();
    txtPDFFilename->selectAll();
}

void CreatePage::showNaming(bool bulk)
{
    if (bulk) {
        frFilename[0]->hide();
        frFilename[1]->show();
    } else {
        frFilename[0]->show();
        frFilename[1]->hide();
    }
}

void CreatePage::setRunning(bool running)
{
    cmdCreate->setEnabled(!running);
    cmdOutput->setEnabled(!running);
}

void CreatePage::showConverter(const QString &appFolder)
{
    const QString converter = conversion::converterPath(appFolder);
    lblConverter->setText(
        conversion::converterProblem(converter).isEmpty()
            ? QStringLiteral("PDFs are made with %1").arg(conversion::describeConverter(converter))
            : QStringLiteral("No PDF converter was found: Create will say how to install one."));
}

void CreatePage::placeButtons(float extraHeight)
{
    twips::place(cmdCreate, kButtonsLeft, kCreateButtonsTop + extraHeight, 2400, 480);
    twips::place(cmdOutput, kButtonsLeft + 2600, kCreateButtonsTop + extraHeight, 3000, 480);
    // Between the naming frame and the buttons, to the page's right edge: a converter's path
    // is long.
    twips::place(lblConverter, kButtonsLeft, kConverterTop + extraHeight,
                 std::max(0.0f, twips::fromPixels(width()) - kButtonsLeft - 300), kConverterHeight);
}

void CreatePage::place(const std::array<TwipRect, 2> &frames, float extraHeight)
{
    twips::place(frFilename[0], frames[0]);
    const float nameWidth = std::max(0.0f, frames[0].width - kNameLeft - kNameRightMargin);
    twips::place(lblPDFFilename, kNameLeft, 420, nameWidth, 330);
    twips::place(txtPDFFilename, kNameLeft, 780, nameWidth, 375);
    twips::place(lblPdfExtension, kNameLeft + nameWidth + 150, 810, 1200, 330);
    TwipRect filenames = frames[1];
    filenames.height += extraHeight;
    twips::place(frFilename[1], filenames);
    m_keywordNames->fitFrame();
    placeButtons(extraHeight);
}

float CreatePage::namingMinimumWidth()
{
    return kNamingMinimumWidth;
}
