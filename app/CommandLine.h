#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

// The command line of VELDRUN: the main screen, or one of the jobs an
// administrator runs from a script or a timer without a window (the postal
// file, a supplier file in or out, the printed list as PDF, a check of the
// suite database), and how a job reports while it runs and when it is done.
// Plain rules; the jobs themselves are in app/Jobs.
namespace cli {

enum class Job { None, ImportPostal, ImportSuppliers, ExportSuppliers, PrintListPdf, Check };

// Exit codes of the program and its jobs.
enum ExitCode {
    ExitDone = 0,
    ExitFailed = 1,  // a job failed with nothing changed; the screen could not start
    ExitRefused = 2, // bad arguments, or an input the job refuses before changing anything
};

struct Options
{
    Job job = Job::None;
    QString file;
    bool append = false;            // --import-suppliers: 追加登録 instead of 入れ替え
    bool firstLineIsData = false;   // --import-suppliers: 一行目もデーター
    bool replaceUnmappable = false; // --export-suppliers
    QString name;                   // the list's filters, --export-suppliers and --print-list-pdf
    QString address;
    int tradeType = 0;
    bool quitAfterStart = false;
    bool help = false;
    // What is wrong with the command line; empty when it can be run.
    QString error;
};

// Reads the arguments, the program's name left out. Options with a value
// take it from the next argument or after "=" (--name=山田).
Options ParseArguments(const QStringList& arguments);

// Whether the arguments name a job. Decided before the application is made:
// a job runs on no display.
bool AsksForJob(const QStringList& arguments);

// Writes text to stream (standard output or error) in UTF-8, at once.
void Print(std::FILE* stream, const QString& text);

// The text of --help.
QString Usage();

// The one line a job prints on standard output when it is done.
struct Summary
{
    int read = 0;    // rows read from the file or the database
    int stored = 0;  // rows stored or written
    int skipped = 0; // rows left out
    double seconds = 0;
    QList<QPair<QString, QString>> extra; // further name=value pairs, in order
};

// "read=N stored=N skipped=N seconds=S.SS", then the extra pairs.
QString SummaryLine(const Summary& summary);

// The progress of a job on standard error. On a terminal a bar redrawn in
// place; otherwise (a log, a pipe, a timer's journal) no bar: a line at each
// tenth of the work, "import-postal: 30% (37448/124825)".
class Progress
{
public:
    Progress(const QString& job, bool terminal, std::function<void(const QString& text)> write);

    // done of total; a step back or a repeated tenth writes nothing.
    void update(qint64 done, qint64 total);
    // Ends the bar's line on a terminal, before other text is written or at
    // the end; the bar goes on on a new line at the next step.
    void finish();

private:
    QString m_job;
    bool m_terminal;
    std::function<void(const QString&)> m_write;
    int m_shown = -1; // tenths (percent on a terminal) written so far
    bool m_barOpen = false;
};

} // namespace cli
