#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace db {
class Connection;
}

// Where the suite's main database is and how to reach it, decided from the
// small setting files beside the program (PASS.inf, EXE_PATH.inf, NET.inf,
// NET.txt). The main screen runs the link on its first showing and again from
// Shift+F1; it keeps the settings below as unit-level variables.

// The start-up settings this link reads and writes.
struct SuiteSettings
{
    QString ProgramFolder, SuiteFolder, ProgramBaseName;
    QString DatabasePassword = QStringLiteral("zorquemit");
    QString ExePath, NetDatabasePath, NetServer;
};

// A setting file too short for the line that is read (or unreadable). The
// file is named as the program looks for it ("NET.inf"); lines count from 1.
class SettingFileError : public std::runtime_error
{
public:
    SettingFileError(QString file, int line);

    QString file() const { return m_file; }
    int line() const { return m_line; }
    // The user-facing text (also what()), e.g. 設定ファイル「NET.inf」の2行目がありません。
    QString message() const;

private:
    QString m_file;
    int m_line;
};

// The lines of a setting file. The bytes are read as UTF-8 (a leading BOM is
// dropped) and, when they are not valid UTF-8, as code page 932. Lines end at
// CR LF, LF or CR; a final line break adds no empty line. A missing or
// unreadable file has no lines.
QStringList ReadSettingLines(const QString& path);

// Fills settings from the setting files in programFolder and replaces the
// suite connection's parameters with the database they name. The connection
// is left disconnected; the next statement connects it with the new list.
//
// The settings change step by step: when a setting file is too short this
// throws SettingFileError with the earlier steps done and the connection's
// parameter list untouched (disconnected already when the short file is
// NET.inf or NET.txt).
//
// A first link from NET.txt leaves an EXE_PATH.inf behind; a caller that
// must change nothing, such as the check of the suite, passes writeExePath
// false.
void LinkSuiteDatabase(const QString& programFolder, const QString& executablePath, SuiteSettings& settings,
                       db::Connection& suite, bool writeExePath = true);

// Where a file of the suite's program folder ExePath is on this machine (a
// sibling program, the manual): the folder as the setting file gives it, "\"
// read as "/", and relative to the working directory when it is relative.
// Empty when no program folder is set.
QString SuiteProgramFile(const QString& exePath, const QString& file);
