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
// owns its controls and fills the "Filenames " frame it is put in, following its size.
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
    // Makes the three lists taller by extraHeight twips; the notes under them move down.
    void growLists(float extraHeight);

    // The keywords of the last Combine Keywords.
    QStringList keywords() const { return lstKeywords; }
    // The names in force; edits to the box count only once applied with Enter.
    QStringList finalList() const { return lstFinalList; }
    // True when "Use a Combination of Keywords" is chosen.
    bool useKeywordNames() const;

    void cmdCreateList_Click();
    void txtFinalList_KeyUp(int keyCode, Qt::KeyboardModifiers shift);
    void cmdClearList_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
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
    QLabel *lblKeywordsInfo = nullptr;
    QLabel *lblFinalListNote = nullptr;
    std::array<QRadioButton *, 2> optFilename{};
};
