#pragma once

#include <QString>

#include <exception>

class QWidget;

// Every message the program gives its user goes through one of these, and
// every one is shown through modal::exec(), so a test can answer it.

// The platform's plain message box with one OK button ("日付が不正です").
void ShowPlainMessage(const QString& text);

// The standard box for an error no handler dealt with; its caption is the
// application's title (QGuiApplication::applicationDisplayName()). Details
// (see below) go into the box's details and, with the text, into the log.
void ShowErrorBox(const QString& text, const QString& details = {});

// What an exception says to people: text is what the clerk reads (the
// server's own message for a database error, never an empty one), details
// what whoever looks into it needs (SQLSTATE, the server's code, the
// statement).
struct ErrorDescription
{
    QString text;
    QString details;
};
ErrorDescription DescribeError(const std::exception_ptr& error);

// Where an error is shown: the standard error box, or the plain message box
// that registration, deletion and the merge use with "エラー: " in front.
enum class ErrorBox { Standard, Plain };

// The one way an exception reaches the clerk: described, logged, and shown
// in the words of form, whose %1 is the error's text ("エラー: %1"). Use it
// in a catch block as ShowError(std::current_exception()).
void ShowError(const std::exception_ptr& error, ErrorBox box = ErrorBox::Standard,
               const QString& form = QStringLiteral("%1"));

// The program's own message dialog MASSAGE_FORM (made here if start-up has not
// made it yet): sets the mode (MessageNotice, MessageAskDefaultNo,
// MessageAskDefaultYes), puts text into LABEL, centres the dialog on centreOn
// (on the screen when null) and shows it. Returns the modal result: 1 = Yes/OK.
int ShowMessageDialog(int mode, const QString& text, QWidget* centreOn = nullptr);

// For a run nobody watches (a start-up check from a script): errors are
// logged, and so written to standard error, but no box waits for an answer
// that would never come.
void SetUnattended(bool on);
