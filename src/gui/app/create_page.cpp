#include "create_page.h"

#include "converter_lookup.h"
#include "keyword_names.h"
#include "widget_helpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using widgets::makeLabel;

namespace {

// Designed top of the Create and Open Output Folder buttons.
constexpr float kCreateButtonsTop = 5950;

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
    twips::place(txtPDFFilename, 400, 780, 12000, 375);
    auto *hint = makeLabel(QStringLiteral("Name of the one PDF made from all selected articles:"),
                           frFilename[0], {}, txtPDFFilename);
    twips::place(hint, 400, 420, 12000, 330);
    hint->setStyleSheet(QStringLiteral("color: #444;"));
    twips::place(makeLabel(QStringLiteral(".pdf"), frFilename[0]), 12550, 810, 1200, 330);

    cmdCreate = widgets::makeButton(QStringLiteral("cmdCreate"), QStringLiteral("Create"), this);
    cmdCreate->setDefault(true);
    cmdOutput = widgets::makeButton(QStringLiteral("cmdOutput"),
                                    QStringLiteral("Open Output Folder"), this);
    lblConverter = makeLabel(QString(), this, QStringLiteral("lblConverter"));
    lblConverter->setWordWrap(true);
    lblConverter->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    lblConverter->setStyleSheet(QStringLiteral("color: #555;"));
    placeButtons(0);
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
    twips::place(cmdCreate, 6000, kCreateButtonsTop + extraHeight, 2400, 480);
    twips::place(cmdOutput, 8600, kCreateButtonsTop + extraHeight, 3000, 480);
    // Just above the buttons and as wide as both, so it fits the window at its smallest.
    twips::place(lblConverter, 6000, kCreateButtonsTop + extraHeight - 600, 5600, 540);
}

void CreatePage::place(const std::array<TwipRect, 2> &frames, float extraHeight)
{
    twips::place(frFilename[0], frames[0]);
    TwipRect filenames = frames[1];
    filenames.height += extraHeight;
    twips::place(frFilename[1], filenames);
    m_keywordNames->growLists(extraHeight);
    placeButtons(extraHeight);
}
