#pragma once

#include <QList>

#include <functional>

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

// The control of order that holds w (w itself, or the control whose inner
// editor or viewport has the focus); w when none does. Looks no higher than form.
QWidget* ControlOf(const QList<QWidget*>& order, const QWidget* form, QWidget* w);

// The control Enter or an arrow moves to from current: the next one in order
// (the previous one when going back), round the end, that is shown, enabled
// and accepted by isStop. nullptr when there is none.
QWidget* NextInOrder(const QList<QWidget*>& order, const QWidget* form, QWidget* current, bool forward,
                     const std::function<bool(QWidget*)>& isStop);
