#pragma once

#include <QString>

// The program's log of errors, for whoever looks into a failure later: each
// entry goes to standard error and is appended to veldrun.log in the user's
// state folder ($XDG_STATE_HOME/veldrun/, by default ~/.local/state/veldrun/),
// never into the suite's folders, which other workstations share.

// The log file's path.
QString LogFilePath();

// Writes one entry: the time, the text the clerk was shown and the details
// behind it (indented, one per line). A log that cannot be written is not an
// error of its own: the entry still reaches standard error.
void LogError(const QString& text, const QString& details = {});
