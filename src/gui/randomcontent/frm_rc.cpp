#include "frm_rc.h"

#include "twips.h"
#include "widget_helpers.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFutureWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kCaption = QStringLiteral("Random Content Generator");
const QString kMissingInfo = QStringLiteral("Missing Info");

constexpr float kClientWidth = 16845;
constexpr float kClientHeight = 8490;

// Handling events costs far more than generating a word; doing it at most this often keeps the
// caption animating and the window responsive without slowing a run down.

} // namespace

frmRC::frmRC(const QString &appFolder, Platform *platform, ArticleFolderAccess *mainBrowser,
             QWidget *parent)
    : QDialog(parent), m_appFolder(QDir::toNativeSeparators(appFolder)), m_platform(platform),
      m_mainBrowser(mainBrowser)
{
    Q_ASSERT(mainBrowser);
    if (!m_platform) {
        m_ownedPlatform = std::make_unique<QtPlatform>();
        m_platform = m_ownedPlatform.get();
    }
    setObjectName(QStringLiteral("frmRC"));
    setWindowTitle(kCaption);
    setModal(true);
    setFixedSize(twips::toPixels(kClientWidth), twips::toPixels(kClientHeight));
    buildControls();

    tmrPleaseWait = new QTimer(this);
    tmrPleaseWait->setObjectName(QStringLiteral("tmrPleaseWait"));
    tmrPleaseWait->setInterval(500);
    connect(tmrPleaseWait, &QTimer::timeout, this, &frmRC::tmrPleaseWait_Timer);

    Form_Load();
}

frmRC::~frmRC()
{
    if (m_cancel)
        m_cancel->store(true);
}

void frmRC::buildControls()
{
    // Top line: page count and Generate on the left, the file name and Save on the right.
    constexpr float top = 240, rowHeight = 375;
    Label1 =
        widgets::makeLabel(QStringLiteral("Number of Pages (Estimated):"), this, QStringLiteral("Label1"));
    twips::place(Label1, 240, top, 2850, rowHeight);

    cboParagraphs = new QComboBox(this);
    cboParagraphs->setObjectName(QStringLiteral("cboParagraphs"));
    cboParagraphs->setEditable(true);
    cboParagraphs->setInsertPolicy(QComboBox::NoInsert);
    twips::place(cboParagraphs, 3150, top, 1200, rowHeight);
    Label1->setBuddy(cboParagraphs);
    cboParagraphs->setAccessibleName(Label1->text());

    Command1 = widgets::makeButton(QStringLiteral("Command1"), QStringLiteral("Generate"), this);
    twips::place(Command1, 4500, top, 1650, rowHeight);
    connect(Command1, &QPushButton::clicked, this, &frmRC::Command1_Click);

    Label2 = widgets::makeLabel(QStringLiteral("Save as "), this, QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    twips::place(Label2, 6450, top, 780, rowHeight);

    txtFilename = new QLineEdit(this);
    txtFilename->setObjectName(QStringLiteral("txtFilename"));
    twips::place(txtFilename, 7290, top, 2220, rowHeight);
    Label2->setBuddy(txtFilename);
    txtFilename->setAccessibleName(Label2->text().trimmed());
    txtFilename->setAccessibleDescription(QStringLiteral("File name without .txt"));

    Label3 = widgets::makeLabel(QStringLiteral(".txt"), this, QStringLiteral("Label3"));
    twips::place(Label3, 9555, top, 480, rowHeight);

    cmdSave = widgets::makeButton(QStringLiteral("cmdSave"), QStringLiteral("Save File"), this);
    twips::place(cmdSave, 10110, top, 1650, rowHeight);
    connect(cmdSave, &QPushButton::clicked, this, &frmRC::cmdSave_Click);

    // Below: the generated text on the left, the note and the keywords on the right.
    RichTextBox1 = new QPlainTextEdit(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setAccessibleName(QStringLiteral("Generated content"));
    twips::place(RichTextBox1, 240, 840, 11520, 7410);

    constexpr float rightLeft = 12000, rightWidth = 4605;
    Label6 = widgets::makeLabel(QStringLiteral("Comment: The software generates random content (not "
                                      "readable) but may help you to increase the size of a "
                                      "PDF. "), this, QStringLiteral("Label6"));
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    twips::place(Label6, rightLeft, 840, rightWidth, 900);

    Label4 = widgets::makeLabel(QStringLiteral("Randomly Add Some of the Following Keywords to the "
                                      "Content (Optional):"), this, QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    twips::place(Label4, rightLeft, 1890, rightWidth, 600);

    txtKeywords = new QPlainTextEdit(this);
    txtKeywords->setObjectName(QStringLiteral("txtKeywords"));
    txtKeywords->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtKeywords->setTabChangesFocus(true);
    twips::place(txtKeywords, rightLeft, 2550, rightWidth, 4500);
    Label4->setBuddy(txtKeywords);
    txtKeywords->setAccessibleName(Label4->text());

    Label5 = widgets::makeLabel(QStringLiteral("Please enter 1 keyword per line."), this, QStringLiteral("Label5"));
    twips::place(Label5, rightLeft, 7110, rightWidth, 330);
    txtKeywords->setAccessibleDescription(Label5->text());

    cmdClose = widgets::makeButton(QStringLiteral("cmdClose"), QStringLiteral("Close"), this);
    twips::place(cmdClose, rightLeft + rightWidth - 1650, 7875, 1650, rowHeight);
    connect(cmdClose, &QPushButton::clicked, this, &frmRC::cmdClose_Click);
}

void frmRC::Form_Load()
{
    lstContent = filler::loadWordLists(m_appFolder);

    cboParagraphs->clear();
    for (int i = 1; i <= 200; ++i)
        cboParagraphs->addItem(QString::number(i));
    cboParagraphs->setCurrentIndex(9);

    // Generated paragraphs are long single lines; keep them unwrapped.
    RichTextBox1->setLineWrapMode(QPlainTextEdit::NoWrap);
}

void frmRC::SetButtonsEnabled(bool enabled)
{
    cmdClose->setEnabled(enabled);
    cmdSave->setEnabled(enabled);
    Command1->setEnabled(enabled);
}

void frmRC::tmrPleaseWait_Timer()
{
    if (Tag.isEmpty())
        Tag = QStringLiteral("..");
    setWindowTitle(kCaption + QStringLiteral(" (Working, Please Wait ...") + Tag + u')');
    Tag = Tag == u".." ? QStringLiteral("....") : QStringLiteral("..");
}

void frmRC::Command1_Click()
{
    if (m_generating)
        return;

    const std::optional<int> pages = filler::parsePageCount(cboParagraphs->currentText());
    if (!pages) {
        m_platform->messageBox(this,
                               QStringLiteral("Please enter the number of pages as a whole number "
                                              "from 0 to %1.")
                                   .arg(filler::kMaxPages),
                               kMissingInfo);
        return;
    }
    const int emptyList = filler::firstEmptyList(lstContent);
    if (emptyList >= 0) {
        m_platform->messageBox(
            this,
            QStringLiteral("The word list %1 in the program folder is missing or empty, so no "
                           "content can be generated. It needs one word per line; open this window "
                           "again after filling it.")
                .arg(filler::wordListName(emptyList)),
            kMissingInfo);
        return;
    }
    if (*pages > filler::kConfirmAbove) {
        const Platform::Answer answer = m_platform->messageBox(
            this,
            QStringLiteral("Please notice that generating over 50 pages will take from 2 to 5 "
                           "minutes. Want to go on?"),
            QStringLiteral("Please Confirm"), Platform::Buttons::YesNo, Platform::Icon::Question);
        if (answer == Platform::Answer::No)
            return;
    }

    SetButtonsEnabled(false);
    tmrPleaseWait->start();

    QString keywords = txtKeywords->toPlainText();
    if (!keywords.isEmpty()) {
        keywords.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        tTools::SplitToList(keywords, QStringLiteral("\n"), lstRandomKeywords);
    }

    m_generating = true;
    // Generated on a worker, so the window stays live without a nested event loop; the flag is
    // shared, so a window closed meanwhile can still tell the worker to stop.
    m_cancel = std::make_shared<std::atomic_bool>(false);
    const std::uint32_t seed = tTools1.rng()();
    m_generation = new QFutureWatcher<std::optional<QString>>(this);
    connect(m_generation, &QFutureWatcherBase::finished, this, [this] {
        const std::optional<QString> text = m_generation->result();
        finishGenerating();
        if (text)
            setText(*text);
    });
    m_generation->setFuture(QtConcurrent::run(
        [words = lstContent, keywords = lstRandomKeywords, pages = *pages, seed,
         cancel = m_cancel] {
            tTools random;
            random.seed(seed);
            return filler::generateFillerText(words, keywords, pages, random, {},
                                              [&cancel] { return cancel->load(); });
        }));
}

void frmRC::stopGenerating()
{
    if (!m_generating)
        return;
    // The worker stops at its next word; its result is not wanted any more.
    m_cancel->store(true);
    m_generation->disconnect(this);
    finishGenerating();
}

void frmRC::finishGenerating()
{
    m_generating = false;
    if (m_generation) {
        m_generation->deleteLater();
        m_generation = nullptr;
    }
    SetButtonsEnabled(true);
    tmrPleaseWait->stop();
    setWindowTitle(kCaption);
}

void frmRC::setText(const QString &text)
{
    m_text = text;
    // The box shows each carriage return as a line break; the text itself keeps them.
    QString shown = text;
    shown.replace(u'\r', u'\n');
    RichTextBox1->setPlainText(shown);
}

void frmRC::cmdSave_Click()
{
    // What the box holds is saved, edits included; line ends become CR LF on the way out.
    const QString text = RichTextBox1->toPlainText();
    if (text.isEmpty()) {
        m_platform->messageBox(
            this, QStringLiteral("There's nothing to save. Please generate some content first."),
            kMissingInfo);
        return;
    }
    const QString name = txtFilename->text();
    const QString problem = filler::saveNameProblem(name);
    if (!problem.isEmpty()) {
        // An empty name is missing; any other is one we refuse.
        m_platform->messageBox(this, problem,
                               name.isEmpty() ? kMissingInfo : QStringLiteral("Invalid Name"));
        return;
    }

    const QString folder = m_mainBrowser->folder();
    if (folder.isEmpty()) {
        m_platform->messageBox(this,
                               QStringLiteral("No article folder is open in the main window. "
                                              "Close this window, choose a folder, then save."),
                               kMissingInfo);
        return;
    }
    const QString path = filler::filePath(QDir::toNativeSeparators(folder), name);
    // Someone's article may already carry that name; what this window saved last is its own.
    // Anything but a regular file there is refused by the writing itself.
    if (tFile::IsRegularFile(path) && path != m_savedPath) {
        const Platform::Answer answer = m_platform->messageBox(
            this,
            QStringLiteral("A file of that name already exists:\n%1\n\nDo you want to replace "
                           "it?")
                .arg(path),
            QStringLiteral("Please Confirm"), Platform::Buttons::YesNo, Platform::Icon::Question);
        if (answer != Platform::Answer::Yes)
            return;
    }
    QString reason;
    if (!tFile1.SaveText(text, path, &reason)) {
        m_platform->messageBox(
            this, QStringLiteral("The file could not be saved:\n%1\n\n%2").arg(path, reason),
            QStringLiteral("Error"), Platform::Buttons::Ok, Platform::Icon::Warning);
        return;
    }
    m_savedText = text;
    m_savedPath = path;
    m_mainBrowser->refreshFiles();
    m_platform->messageBox(this, QStringLiteral("Done! You can now close this window."),
                           QStringLiteral("Done"));
}

void frmRC::cmdClose_Click()
{
    close();
}

bool frmRC::hasUnsavedText() const
{
    const QString text = RichTextBox1->toPlainText();
    return !text.isEmpty() && text != m_savedText;
}

void frmRC::done(int result)
{
    // Escape, Close and the title bar all end here. Text nobody saved is not thrown away
    // without asking; a run in progress has nothing to lose yet and just stops.
    if (!m_generating && hasUnsavedText()) {
        const Platform::Answer answer = m_platform->messageBox(
            this,
            QStringLiteral("The generated content has not been saved. Close the window and "
                           "discard it?"),
            QStringLiteral("Please Confirm"), Platform::Buttons::YesNo, Platform::Icon::Question);
        if (answer != Platform::Answer::Yes)
            return;
    }
    stopGenerating();
    QDialog::done(result);
}

void frmRC::closeEvent(QCloseEvent *event)
{
    stopGenerating();
    QDialog::closeEvent(event);
}
