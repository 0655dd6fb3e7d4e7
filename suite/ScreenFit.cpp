#include "suite/ScreenFit.h"

#include <algorithm>

ScreenFit FitToScreen(int workWidth, int workHeight, double dpi, int formWidth, int formHeight)
{
    if (workWidth <= 0 || workHeight <= 0) {
        workWidth = 800;
        workHeight = 600;
    }
    // Dense screens get a little more room for their larger glyphs.
    double widen = 1;
    if (workWidth < 1680 && dpi > 100)
        widen = dpi / 96 * 9;
    else if (dpi > 175)
        widen = dpi / 96 * 8;
    else if (dpi > 100)
        widen = dpi / 96 * 2;

    ScreenFit fit;
    fit.width = int(formWidth * (1 + widen / 100));
    fit.height = int(formHeight * (1 + widen / 100));
    int byWidth = workWidth * 100 / std::max(1, fit.width);
    const int byHeight = workHeight * 100 / std::max(1, fit.height);
    // Small screens are treated as 1366 wide: the form is designed for that.
    if (workWidth < 1366)
        byWidth = workWidth * 100 / 1366;
    fit.percent = std::min({byWidth, byHeight, 130});
    return fit;
}
