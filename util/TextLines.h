#pragma once

#include <QStringList>
#include <QStringView>

// The lines of a text file as every reader of this program takes them: a line
// ends at CR LF, LF or CR, whichever the file uses (files come from Windows,
// Linux and old Mac installations alike); a last line without an ending
// counts, and an ending at the very end starts no empty line. Blank lines in
// between are kept.
QStringList SplitLines(QStringView text);
