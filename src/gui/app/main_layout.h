#pragma once

#include "twips.h"

#include <array>

// What Form_Resize changes, in twips.
struct MainLayout
{
    std::array<TwipRect, 3> frPage;
    TwipRect frSinglePDFCreation;
    TwipRect lstSelectedArticles;
    TwipRect lblPleaseWait;
    std::array<TwipRect, 2> frFilename;

    static MainLayout designed();
    // Follows an outer window size W x H, in twips; a size that would go negative keeps its
    // old value while the others still follow.
    void resizeTo(float W, float H);

    // The smallest window, in twips, that keeps every control of every page inside its page
    // and readable: the selected-article frame at least selectedFrameWidth wide, page 1 at
    // least adPageWidth and the naming frames at least filenamesWidth.
    static float minimumWidth(float selectedFrameWidth, float adPageWidth, float filenamesWidth);
    static float minimumHeight();
    // How much taller than its contents the page area is; the lists take it up.
    float extraHeight() const;
};
