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

    // The smallest window, in twips, that keeps every control of every page inside its page:
    // the naming frames centred in page 2, the Create buttons under them, page 1 at least
    // adPageWidth wide and a selected list at least selectedListWidth wide.
    static float minimumWidth(float selectedListWidth, float adPageWidth);
    static float minimumHeight();
    // How much taller than its contents the page area is; the lists take it up.
    float extraHeight() const;
};
