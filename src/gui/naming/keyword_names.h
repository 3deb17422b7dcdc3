#pragma once

#include <QWidget>
#include <QStringList>

#include <array>
#include <functional>

class Platform;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// Output names for a bulk run, built from name patterns and the user's keywords: a panel that
// owns its controls and fills the "Filenames " frame it is put in, following its size: the
// three lists share its width and take the height the notes under them leave.
class KeywordNames : public QWidget
{
    Q_OBJECT
public:
    KeywordNames(Platform *platform, QGroupBox *frame);

    // Where the info label gets the number of articles in the browsed folder.
    void setArticleCount(std::function<int()> count) { m_articleCount = std::move(count); }
    // Appends name patterns to the Combinations list (start-up only).
    void addPatterns(const QStringList &patterns);
    QStringList patterns() const;

    // The keywords of the last Combine Keywords.
    QStringList keywords() const { return lstKeywords; }
    // The names in force; edits to the box count only once applied with Enter.
    QStringList finalList() const { return lstFinalList; }
    // True when "Use a Combination of Keywords" is chosen.
    bool useKeywordNames() const;
    // Puts the focus where keywords are typed.
    void focusKeywords();
    // Follows the frame's size, also while hidden, when no resize event would come.
    void fitFrame();

    void cmdCreateList_Click();
    void txtFinalList_KeyUp(int keyCode, Qt::KeyboardModifiers shift);
    void cmdClearList_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut();
    void applyFinalText(const QString &text);
    void showInfo();

    Platform *m_platform;
    std::function<int()> m_articleCount;
    QStringList lstKeywords;
    QStringList lstFinalList;

    QPlainTextEdit *txtPDFKeywords = nullptr;
    QListWidget *lstKeywordCombinations = nullptr;
    QPushButton *cmdCreateList = nullptr;
    QPushButton *cmdClearList = nullptr;
    QPlainTextEdit *txtFinalList = nullptr;
    std::array<QLabel *, 3> m_listCaptions{};
    QLabel *lblKeywordsInfo = nullptr;
    QLabel *lblFinalListNote = nullptr;
    std::array<QRadioButton *, 2> optFilename{};
};
