#pragma once

class QWidget;

// What every form of the program does with its window.

// Scales a form and everything on it — positions, sizes and fonts — by
// percent/100, as the first showing does to fit the forms to the screen.
void ScaleForm(QWidget* form, int percent);

// Moves a top-level form to the middle of the primary screen's work area.
void CentreOnScreen(QWidget* form);

// Shows a window in its normal state (also when minimised), raises it and
// makes it the active window.
void BringToFront(QWidget* form);
