#pragma once

#include "twips.h"

#include <QGroupBox>

#include <array>

class KeywordNames;
class Platform;
class QLabel;
class QLineEdit;
class QPushButton;

// Page 2, "Create": the name of the one PDF or the keyword names of many, the Create and Open
// Output Folder buttons, and which converter Create will use.
class CreatePage : public QGroupBox
{
    Q_OBJECT
public:
    CreatePage(Platform *platform, QWidget *window);

    KeywordNames *keywordNames() const { return m_keywordNames; }
    // The single run's name as typed; the box shows the name a run used.
    QString singleName() const;
    void setSingleName(const QString &name);
    void focusSingleName();
    // Shows the naming frame of one PDF of all articles or of one PDF per article.
    void showNaming(bool bulk);
    // While a run works neither button starts anything.
    void setRunning(bool running);
    // Says which converter the application folder gives Create now.
    void showConverter(const QString &appFolder);
    // The naming frames as the window's size places them; the keyword lists and the buttons
    // under them take up extraHeight twips more.
    void place(const std::array<TwipRect, 2> &frames, float extraHeight);
    // The narrowest naming frame, in twips, that keeps its controls readable.
    static float namingMinimumWidth();

signals:
    void createRequested();
    void outputFolderRequested();

private:
    void placeButtons(float extraHeight);

    std::array<QGroupBox *, 2> frFilename{};
    QLabel *lblPDFFilename = nullptr;
    QLineEdit *txtPDFFilename = nullptr;
    QLabel *lblPdfExtension = nullptr;
    QPushButton *cmdCreate = nullptr;
    QPushButton *cmdOutput = nullptr;
    QLabel *lblConverter = nullptr;
    KeywordNames *m_keywordNames = nullptr;
};
