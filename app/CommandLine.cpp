#include "app/CommandLine.h"

#include <algorithm>
#include <utility>

namespace cli {
namespace {

struct JobOption
{
    const char* name;
    Job job;
    bool file;
};

const JobOption kJobs[] = {
    {"--import-postal", Job::ImportPostal, true},
    {"--import-suppliers", Job::ImportSuppliers, true},
    {"--export-suppliers", Job::ExportSuppliers, true},
    {"--print-list-pdf", Job::PrintListPdf, true},
    {"--check", Job::Check, false},
};

const JobOption* jobOption(const QString& name)
{
    for (const JobOption& j : kJobs)
        if (name == QLatin1String(j.name))
            return &j;
    return nullptr;
}

// The option's name without a value given after "=".
QString optionName(const QString& argument)
{
    if (!argument.startsWith(QLatin1String("--")))
        return argument;
    const qsizetype equals = argument.indexOf(u'=');
    return equals < 0 ? argument : argument.left(equals);
}

bool filtersApply(Job job)
{
    return job == Job::ExportSuppliers || job == Job::PrintListPdf;
}

} // namespace

Options ParseArguments(const QStringList& arguments)
{
    Options o;
    // Options that belong to one job, checked once the job is known.
    QStringList forImport, forExport, forFilters;
    const auto fail = [&o](const QString& error) {
        if (o.error.isEmpty())
            o.error = error;
    };

    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QString name = optionName(argument);
        const bool inlineValue = name.size() < argument.size();
        // The value of an option that takes one: after "=" or the next argument.
        const auto value = [&](QString* target) {
            if (inlineValue) {
                *target = argument.mid(name.size() + 1);
            } else if (i + 1 < arguments.size()) {
                *target = arguments[++i];
            } else {
                fail(QStringLiteral("%1 needs a value").arg(name));
                return false;
            }
            return true;
        };
        const auto flag = [&](bool* target) {
            if (inlineValue)
                fail(QStringLiteral("%1 takes no value").arg(name));
            *target = true;
        };

        if (const JobOption* j = jobOption(name)) {
            if (o.job != Job::None) {
                fail(QStringLiteral("one job at a time: %1 after another job").arg(name));
                continue;
            }
            o.job = j->job;
            if (!j->file) {
                if (inlineValue)
                    fail(QStringLiteral("%1 takes no value").arg(name));
            } else if (value(&o.file) && o.file.isEmpty()) {
                fail(QStringLiteral("%1 needs a file name").arg(name));
            }
        } else if (name == QLatin1String("--append")) {
            flag(&o.append);
            forImport << name;
        } else if (name == QLatin1String("--first-line-is-data")) {
            flag(&o.firstLineIsData);
            forImport << name;
        } else if (name == QLatin1String("--replace-unmappable")) {
            flag(&o.replaceUnmappable);
            forExport << name;
        } else if (name == QLatin1String("--name")) {
            value(&o.name);
            forFilters << name;
        } else if (name == QLatin1String("--address")) {
            value(&o.address);
            forFilters << name;
        } else if (name == QLatin1String("--trade")) {
            QString code;
            if (value(&code)) {
                bool ok = false;
                o.tradeType = code.trimmed().toInt(&ok);
                if (!ok || o.tradeType < 0)
                    fail(QStringLiteral("--trade needs a trade-type code (a whole number), not \"%1\"")
                             .arg(code));
            }
            forFilters << name;
        } else if (name == QLatin1String("--quit-after-start")) {
            flag(&o.quitAfterStart);
        } else if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            o.help = true;
        } else {
            fail(QStringLiteral("unknown option %1").arg(argument));
        }
    }

    const auto onlyWith = [&](const QStringList& options, bool applies, const char* job) {
        if (!options.isEmpty() && !applies)
            fail(QStringLiteral("%1 is an option of %2").arg(options.first(), QLatin1String(job)));
    };
    onlyWith(forImport, o.job == Job::ImportSuppliers, "--import-suppliers");
    onlyWith(forExport, o.job == Job::ExportSuppliers, "--export-suppliers");
    onlyWith(forFilters, filtersApply(o.job), "--export-suppliers and --print-list-pdf");
    if (o.quitAfterStart && o.job != Job::None)
        fail(QStringLiteral("--quit-after-start starts the screen; it goes with no job"));
    return o;
}

bool AsksForJob(const QStringList& arguments)
{
    for (const QString& argument : arguments)
        if (jobOption(optionName(argument)))
            return true;
    return false;
}

QString Usage()
{
    return QStringLiteral(
        "usage: VELDRUN [--quit-after-start]\n"
        "       VELDRUN --import-postal FILE\n"
        "       VELDRUN --import-suppliers FILE [--append] [--first-line-is-data]\n"
        "       VELDRUN --export-suppliers FILE [--name TEXT] [--address TEXT] [--trade CODE]\n"
        "                                  [--replace-unmappable]\n"
        "       VELDRUN --print-list-pdf FILE [--name TEXT] [--address TEXT] [--trade CODE]\n"
        "       VELDRUN --check\n"
        "       VELDRUN --help\n"
        "\n"
        "Without a job the main screen 仕入先マスター登録 opens; --quit-after-start ends it\n"
        "right after the start and prints \"started\".\n"
        "\n"
        "Jobs run without a window and without the single-copy lock, so they may run\n"
        "while a clerk works. They use the setting files of the working directory\n"
        "(NET.inf, NET.txt, PASS.inf, EXE_PATH.inf) as the screen does.\n"
        "\n"
        "  --import-postal FILE     replace LOOK_ZIP with the national postal file\n"
        "                           (KEN_ALL.CSV); all or nothing\n"
        "  --import-suppliers FILE  store the suppliers of a comma-separated file in\n"
        "                           MAS_SIIRE; its heading line is matched to the fields'\n"
        "                           labels (仕入先CD, 仕入先名１, ...) and the mapping is\n"
        "                           printed first. Without --append the supplier table is\n"
        "                           emptied first (入れ替え); with it, a supplier whose code\n"
        "                           comes again is replaced (追加登録)\n"
        "    --append               keep the suppliers the file does not name\n"
        "    --first-line-is-data   the first line is a supplier too; the match still\n"
        "                           reads its values as headings\n"
        "  --export-suppliers FILE  write the supplier list as the list table exports it:\n"
        "                           CSV, code page 932, every value quoted\n"
        "    --replace-unmappable   write '?' for characters code page 932 cannot hold\n"
        "                           (without it such a value refuses the export)\n"
        "  --print-list-pdf FILE    write the printed supplier list as PDF\n"
        "    --name TEXT            only suppliers whose name holds TEXT\n"
        "    --address TEXT         only suppliers whose address holds TEXT\n"
        "    --trade CODE           only suppliers of this trade type\n"
        "  --check                  connect, report the suite database, its number of\n"
        "                           suppliers and whether the columns the program adds\n"
        "                           are there; changes nothing\n"
        "\n"
        "Progress goes to standard error, a line per tenth when it is not a terminal;\n"
        "errors also go to the log $XDG_STATE_HOME/veldrun/veldrun.log. The result is\n"
        "one line on standard output:\n"
        "  read=N stored=N skipped=N seconds=S [name=value ...]\n"
        "\n"
        "Exit status: 0 done; 1 failed, nothing changed (or the screen could not\n"
        "start, or another copy runs); 2 bad arguments or a refused input; 128+n\n"
        "ended by signal n (a job is then rolled back).\n");
}

QString SummaryLine(const Summary& summary)
{
    QString line = QStringLiteral("read=%1 stored=%2 skipped=%3 seconds=%4")
                       .arg(summary.read)
                       .arg(summary.stored)
                       .arg(summary.skipped)
                       .arg(summary.seconds, 0, 'f', 2);
    for (const auto& [name, value] : summary.extra)
        line += u' ' + name + u'=' + value;
    return line;
}

Progress::Progress(const QString& job, bool terminal, std::function<void(const QString&)> write)
    : m_job(job), m_terminal(terminal), m_write(std::move(write))
{}

void Progress::update(qint64 done, qint64 total)
{
    if (total <= 0 || done < 0)
        return;
    done = std::min(done, total);
    const int percent = int(done * 100 / total);
    if (!m_terminal) {
        const int tenth = percent / 10;
        if (tenth <= m_shown)
            return;
        m_shown = tenth;
        m_write(QStringLiteral("%1: %2% (%3/%4)\n").arg(m_job).arg(tenth * 10).arg(done).arg(total));
        return;
    }
    if (percent <= m_shown)
        return;
    m_shown = percent;
    m_barOpen = true;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    m_write(QStringLiteral("\r%1 [%2%3] %4% (%5/%6)")
                .arg(m_job, QString(filled, u'#'), QString(kWidth - filled, u' '))
                .arg(percent, 3)
                .arg(done)
                .arg(total));
}

void Progress::finish()
{
    if (m_barOpen)
        m_write(QStringLiteral("\n"));
    m_barOpen = false;
}

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace cli
