#pragma once

// How much the forms are scaled on the first showing so that the main
// screen fills a good part of the monitor's work area without leaving it.
struct ScreenFit
{
    int width = 0; // the main form's size before scaling, widened for the pixel density
    int height = 0;
    int percent = 100; // the scale for every form
};

// workWidth/workHeight: the primary monitor's work area (800 x 600 when the
// system cannot tell); dpi: the form's pixels per inch; formWidth/Height:
// the main form's size at design scale.
ScreenFit FitToScreen(int workWidth, int workHeight, double dpi, int formWidth, int formHeight);
