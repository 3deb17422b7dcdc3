#pragma once

#include "article_folder_access.h"
#include "filler_generator.h"
#include "platform.h"
#include "t_file.h"
#include "t_tools.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
template <typename T> class QFutureWatcher;

// The Random Content Generator: generates filler text and saves it as a new article in the
// folder the main window is browsing. Build it afresh for each opening and exec() it; closing
// discards everything it held.
class frmRC : public QDialog
{
    Q_OBJECT
public:
    // mainBrowser must outlive the window. A null platform means the real desktop.
    frmRC(const QString &appFolder, Platform *platform, ArticleFolderAccess *mainBrowser,
          QWidget *parent = nullptr);
    ~frmRC() override;

    void Command1_Click();
    void cmdSave_Click();
    void cmdClose_Click();
    void SetButtonsEnabled(bool enabled);
    void tmrPleaseWait_Timer();

    // The generated text as built (paragraphs end in two carriage returns); what Save writes.
    const QString &generatedText() const { return m_text; }
    bool isGenerating() const { return m_generating; }

    // Hidden working lists, loaded and kept for as long as the window is open.
    filler::WordLists lstContent;
    QStringList lstRandomKeywords;
    // Busy-caption state: "", ".." or "....".
    QString Tag;

    // Any way of closing the window during a run stops the run; closing with text that was
    // never saved asks first.
    void done(int result) override;
    // The box holds text that differs from what was last saved.
    bool hasUnsavedText() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void setText(const QString &text);
    // Ends a run the user no longer waits for; its text is dropped.
    void stopGenerating();
    // Back to idle: buttons, busy caption.
    void finishGenerating();

    QString m_appFolder;
    Platform *m_platform;
    std::unique_ptr<Platform> m_ownedPlatform;
    ArticleFolderAccess *m_mainBrowser;
    tTools tTools1;
    tFile tFile1;

    QString m_text;
    QString m_savedText; // the box's text as last saved
    QString m_savedPath; // where it was saved last
    bool m_generating = false;
    std::shared_ptr<std::atomic_bool> m_cancel;
    QFutureWatcher<std::optional<QString>> *m_generation = nullptr;

    QLabel *Label1 = nullptr;
    QComboBox *cboParagraphs = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtFilename = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *cmdSave = nullptr;
    QPlainTextEdit *RichTextBox1 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label4 = nullptr;
    QPlainTextEdit *txtKeywords = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *cmdClose = nullptr;
    QTimer *tmrPleaseWait = nullptr;
};
