#pragma once

#include <QString>

namespace renderengine {

// A script for the engine's own world that cuts long runs of inline content (an article's
// lines, each ended by <br>) into blocks of whole lines. Chromium's print layout of one run
// grows much faster than its length; blocks of whole lines keep every line and page as it was.
// Cuts fall only after a <br>; an inline element spanning a cut is split into two copies only
// when the copies look as one (no side margin, border, padding or generated content), else the
// run is cut elsewhere or not at all. Blocks in which every word fits the printable width
// (CSS px, before the page's zoom) no longer break inside words, which changes none of their
// lines. Evaluates to the number of blocks made. A page hidden by hideScript() is shown first;
// the page keeps the width it was measured at until beforePrintScript() runs.
QString longRunsScript(double printableWidthPx);

// A script for the engine's world at the document's creation: the page is not styled or laid
// out until longRunsScript() runs.
QString hideScript();

// Gives the page back what longRunsScript() left changed for the print.
QString beforePrintScript();

} // namespace renderengine
