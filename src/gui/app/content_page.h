#pragma once

#include "twips.h"

#include <QGroupBox>

#include <array>

class ArticleBrowser;
class Platform;
class QRadioButton;

// Page 0, "PDF Content": the article browser with the selected-article list, and the two
// creation modes.
class ContentPage : public QGroupBox
{
    Q_OBJECT
public:
    ContentPage(Platform *platform, QWidget *window);

    ArticleBrowser *browser() const { return m_browser; }
    // True when "Bulk PDF Creation" is chosen.
    bool isBulk() const;
    // Shows the mode options and the frame's start-up caption.
    void startUp();
    // The selected frame and list as the window's size gives them, extraHeight twips taller.
    void place(const TwipRect &frame, const TwipRect &list, float extraHeight);

signals:
    // The user chose a mode: 0 one PDF of all articles, 1 one PDF per article.
    void modeChosen(int index);

private:
    std::array<QRadioButton *, 2> optCreationMode{};
    ArticleBrowser *m_browser = nullptr;
};
