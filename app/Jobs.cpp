#include "app/Jobs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>

#include "app/CommandLine.h"
#include "app/SignalEnd.h"
#include "db/Query.h"
#include "dialogs/Messages.h"
#include "dialogs/Picker.h"
#include "import/TextImport.h"
#include "postal/PostalFile.h"
#include "search/CsvExport.h"
#include "search/Unit8.h"
#include "suite/SchemaChecks.h"
#include "suite/SuiteLink.h"
#include "suite/Unit2.h"
#include "supplier/SupplierReport.h"
#include "util/Cp932.h"
#include "util/Log.h"

namespace {

using cli::Job;
using cli::Options;
using cli::Summary;

// A job that ends before it is done, with its exit code and why.
struct JobEnd
{
    int code;
    QString text;
};

// A job ended by SIGINT or SIGTERM.
struct Interrupted
{
    int signal;
};

[[noreturn]] void refuse(const QString& text)
{
    throw JobEnd{cli::ExitRefused, text};
}

void writeError(const QString& text)
{
    cli::Print(stderr, text);
}

void writeResult(const QString& line)
{
    cli::Print(stdout, line + u'\n');
}

QString jobName(Job job)
{
    switch (job) {
    case Job::ImportPostal:
        return QStringLiteral("import-postal");
    case Job::ImportSuppliers:
        return QStringLiteral("import-suppliers");
    case Job::ExportSuppliers:
        return QStringLiteral("export-suppliers");
    case Job::PrintListPdf:
        return QStringLiteral("print-list-pdf");
    case Job::Check:
        return QStringLiteral("check");
    case Job::None:
        break;
    }
    return QStringLiteral("VELDRUN");
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// What every job has: the data module with the suite connection, the clock,
// and the progress on standard error.
class Session
{
public:
    explicit Session(Job job)
        : m_name(jobName(job)), m_progress(m_name, ::isatty(STDERR_FILENO) == 1, writeError)
    {
        m_clock.start();
    }

    TDM2& data() { return m_data; }
    db::Connection& suite() { return m_data.FDConnection1; }
    double seconds() const { return double(m_clock.nsecsElapsed()) / 1e9; }

    // The suite database as the screen finds it from the working directory's
    // setting files, connected.
    void connect(bool writeExePath = true)
    {
        SuiteSettings settings;
        LinkSuiteDatabase(QDir::currentPath(), QCoreApplication::applicationFilePath(), settings, suite(),
                          writeExePath);
        suite().setConnected(true);
    }

    // Progress of the work, done of total. A signal that came meanwhile ends
    // the job here: the transaction around it is rolled back as the stack
    // unwinds. Events are looked at when the thousandth changes, not per row.
    void step(qint64 done, qint64 total)
    {
        m_progress.update(done, total);
        const int permille = total > 0 ? int(done * 1000 / total) : 0;
        if (permille == m_permille)
            return;
        m_permille = permille;
        QCoreApplication::processEvents();
        if (SignalEnd::received())
            throw Interrupted{SignalEnd::received()};
    }
    std::function<void(int, int)> progress()
    {
        return [this](int done, int total) {
            step(done, total);
        };
    }
    void endProgress() { m_progress.finish(); }

    void say(const QString& text) { writeError(m_name + QStringLiteral(": ") + text + u'\n'); }

private:
    QString m_name;
    TDM2 m_data;
    QElapsedTimer m_clock;
    cli::Progress m_progress;
    int m_permille = -1;
};

void requireReadableFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        refuse(QStringLiteral("cannot read the file %1").arg(native(path)));
}

void requireWritablePlace(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        refuse(QStringLiteral("%1 is a folder, not a file").arg(native(path)));
    if (!info.absoluteDir().exists())
        refuse(QStringLiteral("the folder of %1 does not exist").arg(native(path)));
}

// ---- --import-postal

int importPostal(const Options& o)
{
    requireReadableFile(o.file);
    Session run(Job::ImportPostal);
    run.connect();
    const postal::ImportResult result = postal::ImportPostalFile(run.suite(), o.file, run.progress());
    run.endProgress();
    run.say(QStringLiteral("LOOK_ZIP now holds %1 postal codes from the %2 lines of %3 (records split over "
                           "several lines joined)")
                .arg(result.rows)
                .arg(result.lines)
                .arg(native(o.file)));
    if (result.cut > 0)
        run.say(QStringLiteral("%1 texts were cut to fit their columns").arg(result.cut));
    writeResult(cli::SummaryLine({result.rows,
                                  result.rows,
                                  0,
                                  run.seconds(),
                                  {{QStringLiteral("lines"), QString::number(result.lines)},
                                   {QStringLiteral("cut"), QString::number(result.cut)}}}));
    return cli::ExitDone;
}

// ---- --import-suppliers

int importSuppliers(const Options& o)
{
    requireReadableFile(o.file);
    Session run(Job::ImportSuppliers);
    QStringList lines;
    try {
        lines = textimport::ReadLines(o.file);
    } catch (const textimport::ImportError& e) {
        refuse(e.message());
    }
    if (lines.isEmpty())
        refuse(QStringLiteral("ファイル %1 は空です。").arg(native(o.file)));

    // The automatic heading match, shown before anything changes.
    const QStringList headings = textimport::SplitHeadings(lines.first());
    const QList<textimport::Mapping> mapping = textimport::MatchHeadings(headings);
    QString shown = QStringLiteral("mapping of %1 (file column, heading -> field):\n").arg(native(o.file));
    for (int i = 0; i < headings.size(); ++i) {
        QStringList targets;
        for (const textimport::Mapping& m : mapping)
            if (m.position == i + 1)
                targets << m.column;
        shown +=
            QStringLiteral("  %1 「%2」 -> %3\n")
                .arg(i + 1)
                .arg(headings[i], targets.isEmpty() ? QStringLiteral("(not imported)") : targets.join(u','));
    }
    writeError(shown);
    // The form's notice for an empty mapping tells the clerk to double-click.
    if (mapping.isEmpty())
        refuse(QStringLiteral("no column of the file is mapped: the headings of its first line must be the "
                              "fields' labels (仕入先CD, ﾌﾘｶﾞﾅ, 仕入先名１, 住所１, TEL, …)"));
    if (const QString problem = textimport::CheckMapping(mapping); !problem.isEmpty())
        refuse(problem);

    run.connect();
    textimport::RunOptions options;
    options.path = o.file;
    options.firstLineIsData = o.firstLineIsData;
    options.mode = o.append ? textimport::Mode::Append : textimport::Mode::Replace;
    options.mapping = mapping;
    options.fitting = textimport::DesignFitting();
    options.progress = run.progress();
    options.report = [&run](int number, const QString& line, const QString& reason) {
        run.endProgress();
        run.say(QStringLiteral("line %1 not stored%2: %3")
                    .arg(number)
                    .arg(reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + u')', line));
    };
    const textimport::RunResult result = textimport::Run(run.data().FDQ_VORNALIX, options);
    run.endProgress();
    writeResult(cli::SummaryLine(
        {result.stored + result.failed,
         result.stored,
         result.failed,
         run.seconds(),
         {{QStringLiteral("mode"), o.append ? QStringLiteral("append") : QStringLiteral("replace")},
          {QStringLiteral("generator"), QString::number(result.generator)}}}));
    return cli::ExitDone;
}

// ---- The list: --export-suppliers and --print-list-pdf

void requireSendable(const QString& option, const QString& text)
{
    if (QString bad; !cp932::canEncode(text, &bad))
        refuse(QStringLiteral("%1: 「%2」 has no code page 932 form and cannot be searched for")
                   .arg(option, bad));
}

// What the export and the printed list refuse before they connect: filters
// the server cannot be sent, and a file in a folder that is not there.
void requireListArguments(const Options& o)
{
    requireSendable(QStringLiteral("--name"), o.name);
    requireSendable(QStringLiteral("--address"), o.address);
    requireWritablePlace(o.file);
}

// Connects and opens the list table's search on the data module's list
// query: live suppliers narrowed by the filters, by supplier code as the
// list first opens.
void openList(Session& run, const Options& o)
{
    run.connect();
    const suppliersearch::Statement s =
        suppliertable::ListStatement(o.name, o.address, o.tradeType, QStringLiteral("T_CD"), false);
    pickers::Reopen(run.data().FDQ_1, s.sql, s.params);
}

int exportSuppliers(const Options& o)
{
    requireListArguments(o);
    Session run(Job::ExportSuppliers);
    openList(run, o);

    // The columns of the list table in this installation.
    QList<db::QueryModel::Column> columns = suppliertable::Columns();
    db::Query& q = run.data().FDQ_VORNALIX;
    q.setSql(QStringLiteral("SELECT NAME FROM LOOK_KIHON where CD=0"));
    q.open();
    if (!q.isEmpty() && suppliertable::ShowsDiscount(q.field(QStringLiteral("NAME")).asString()))
        columns = suppliertable::WithDiscountColumn(columns, 935);
    q.close();

    const csvexport::Writer writer = suppliertable::ExportRows(run.data().FDQ_1, columns, run.progress());
    run.endProgress();
    const int rows = writer.rows();
    if (rows == 0) {
        // As the list table's export: an empty list writes no file.
        run.say(QStringLiteral("the list is empty; no file was written"));
        writeResult(cli::SummaryLine({0, 0, 0, run.seconds(), {}}));
        return cli::ExitDone;
    }

    const QList<csvexport::Unwritable>& unwritable = writer.unwritable();
    if (!unwritable.isEmpty()) {
        QString list;
        constexpr int kListed = 20;
        for (int i = 0; i < unwritable.size() && i < kListed; ++i) {
            const csvexport::Unwritable& u = unwritable[i];
            const QString where =
                u.row == 0 ? QStringLiteral("title line")
                           : QStringLiteral("row %1 (%2 %3)").arg(u.row).arg(writer.titles().value(0), u.key);
            list +=
                QStringLiteral("\n  %1, %2: 「%3」 %4")
                    .arg(where, writer.titles().value(u.column), u.character, cp932::CodePoint(u.character));
        }
        if (unwritable.size() > kListed)
            list += QStringLiteral("\n  and %1 more").arg(unwritable.size() - kListed);
        if (!o.replaceUnmappable)
            refuse(QStringLiteral("%1 values have characters code page 932 cannot hold; nothing was written "
                                  "(--replace-unmappable writes '?' for them):%2")
                       .arg(unwritable.size())
                       .arg(list));
        run.say(QStringLiteral("'?' written for characters code page 932 cannot hold:%1").arg(list));
    }
    if (const QString reason = csvexport::WriteFile(o.file, writer.bytes()); !reason.isEmpty())
        throw JobEnd{cli::ExitFailed, QStringLiteral("cannot write %1: %2").arg(native(o.file), reason)};

    Summary summary{rows, rows, 0, run.seconds(), {}};
    if (!unwritable.isEmpty())
        summary.extra << qMakePair(QStringLiteral("replaced"), QString::number(unwritable.size()));
    writeResult(cli::SummaryLine(summary));
    return cli::ExitDone;
}

int printListPdf(const Options& o)
{
    requireListArguments(o);
    Session run(Job::PrintListPdf);
    openList(run, o);

    // Painted beside the target and put in its place when complete: whoever
    // opens the file meanwhile finds the previous list, never half a new one.
    const QFileInfo target(o.file);
    QTemporaryFile part(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!part.open())
        throw JobEnd{
            cli::ExitFailed,
            QStringLiteral("cannot write in the folder of %1: %2").arg(native(o.file), part.errorString())};
    part.close();
    QString error;
    int pages = 0;
    if (!WriteSupplierListPdf(run.data().FDQ_1, part.fileName(), &error, &pages, run.progress()))
        throw JobEnd{cli::ExitFailed, error};
    run.endProgress();
    if (std::rename(QFile::encodeName(part.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw JobEnd{cli::ExitFailed, QStringLiteral("cannot write %1: %2")
                                          .arg(native(o.file), QString::fromLocal8Bit(std::strerror(errno)))};
    part.setAutoRemove(false);
    QFile::setPermissions(target.absoluteFilePath(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

    const int rows = run.data().FDQ_1.recordCount();
    writeResult(cli::SummaryLine(
        {rows, rows, 0, run.seconds(), {{QStringLiteral("pages"), QString::number(pages)}}}));
    return cli::ExitDone;
}

// ---- --check

int check()
{
    Session run(Job::Check);
    // Changes nothing: not even the EXE_PATH.inf a first start from NET.txt leaves.
    run.connect(false);
    const QString database = run.suite().connectionString();

    db::Query& q = run.data().FDQ_VORNALIX;
    q.setSql(QStringLiteral("select count(*) as N, sum(case when E_DATE04 is null then 0 else 1 end) as D "
                            "from MAS_SIIRE where T_CD>0"));
    q.open();
    const int all = q.field(QStringLiteral("N")).asInteger();
    const int deleted = q.field(QStringLiteral("D")).asInteger();
    q.close();

    QStringList missing;
    QString report = QStringLiteral("suite database %1\n  suppliers: %2 (and %3 deleted)\n")
                         .arg(database)
                         .arg(all - deleted)
                         .arg(deleted);
    for (const SchemaAddition& a : InspectSchemaAdditions(run.suite())) {
        const QString column = a.table + u'.' + a.column;
        report += QStringLiteral("  %1: %2\n")
                      .arg(column, a.present ? QStringLiteral("in place") : QStringLiteral("missing"));
        if (!a.present)
            missing << column;
    }
    writeError(report);

    QString line = QStringLiteral("suppliers=%1 deleted=%2 schema=%3")
                       .arg(all - deleted)
                       .arg(deleted)
                       .arg(missing.isEmpty() ? QStringLiteral("complete") : QStringLiteral("incomplete"));
    if (!missing.isEmpty())
        line += QStringLiteral(" missing=") + missing.join(u',');
    line += QStringLiteral(" seconds=%1 database=%2").arg(run.seconds(), 0, 'f', 2).arg(database);
    writeResult(line);
    return cli::ExitDone;
}

} // namespace

int RunJob(const Options& options)
{
    const QString name = jobName(options.job);
    try {
        switch (options.job) {
        case Job::ImportPostal:
            return importPostal(options);
        case Job::ImportSuppliers:
            return importSuppliers(options);
        case Job::ExportSuppliers:
            return exportSuppliers(options);
        case Job::PrintListPdf:
            return printListPdf(options);
        case Job::Check:
            return check();
        case Job::None:
            break;
        }
        return cli::ExitRefused;
    } catch (const JobEnd& end) {
        LogError(
            QStringLiteral("%1: %2%3")
                .arg(name, end.text,
                     end.code == cli::ExitFailed ? QStringLiteral(" (nothing was changed)") : QString()));
        return end.code;
    } catch (const Interrupted& interrupted) {
        LogError(
            QStringLiteral("%1: ended by signal %2; nothing was changed").arg(name).arg(interrupted.signal));
        return 128 + interrupted.signal;
    } catch (...) {
        // A signal that comes while the client waits for the server breaks
        // the connection under the statement: the failure is the signal's.
        QCoreApplication::processEvents();
        if (const int signal = SignalEnd::received()) {
            LogError(QStringLiteral("%1: ended by signal %2; nothing was changed").arg(name).arg(signal));
            return 128 + signal;
        }
        const ErrorDescription d = DescribeError(std::current_exception());
        LogError(QStringLiteral("%1: %2 (nothing was changed)").arg(name, d.text), d.details);
        return cli::ExitFailed;
    }
}
