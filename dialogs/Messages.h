#pragma once

#include <QString>

class QWidget;

// Every message the program gives its user goes through one of these, and
// every one is shown through modal::exec(), so a test can answer it.

// The platform's plain message box with one OK button ("日付が不正です",
// "エラー: " followed by a database error).
void ShowPlainMessage(const QString& text);

// The standard box for an error no handler dealt with; its caption is the
// application's title (QGuiApplication::applicationDisplayName()).
void ShowErrorBox(const QString& text);

// The program's own message dialog MASSAGE_FORM (made here if start-up has not
// made it yet): sets the mode (MessageNotice, MessageAskDefaultNo,
// MessageAskDefaultYes), puts text into LABEL, centres the dialog on centreOn
// (on the screen when null) and shows it. Returns the modal result: 1 = Yes/OK.
int ShowMessageDialog(int mode, const QString& text, QWidget* centreOn = nullptr);
