// What the printed pages and the screen measure, read from the system in the test
// itself and never through the program's own layout code: the expected values of the
// printing, preview and display-scale tests.
#pragma once

#include <windows.h>

namespace wintest {

// The screen's pixels per inch as the system reports it; 0 when it cannot say (no
// fallback that could agree with a program falling back the same way).
int ScreenDpi();
// The default printer's paper in hundredths of a millimetre; 0 x 0 without a printer.
SIZE DefaultPaper();
// The lines a report page holds on the default printer with the body font `body` at
// `points`: the paper less its 10 mm margins and the header band (Courier New 10 pt,
// its text height, 5 units to the rule, a gap of its text height), at the body font's
// text height + 6 a line; text heights are those of the sample line on the printer,
// mapped at a hundredth of a millimetre a unit. 0 without a printer.
int ReportLinesPerPage(const LOGFONTA& body, int points);

}  // namespace wintest
