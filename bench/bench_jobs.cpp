// The command-line jobs through the real program, as an administrator's
// timer runs them: the national postal file imported into LOOK_ZIP, and the
// supplier list of 100,000 suppliers exported to CSV (the suite of
// bench_list). Each is the median of 3 runs, from the start of the process
// to its end.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

constexpr int kRuns = 3;

// Seconds of one job, or a negative number when it failed; its summary line in summary.
double timeJob(const QString& folder, const QStringList& arguments, QString* summary)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(VELDRUN_EXECUTABLE), arguments);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "bench_jobs: %s failed:\n%s\n", qPrintable(arguments.join(u' ')),
                     p.readAllStandardError().constData());
        return -1;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    *summary = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return seconds;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/list");
    if (!bench::PrepareSuite("bench_jobs", root, bench::FillListSuite))
        return 1;
    // A program folder whose NET.txt names the suite of 100,000 suppliers.
    const QString folder = QStringLiteral(VELDRUN_BENCH_DIR "/jobs/VELDRUN");
    QDir().mkpath(folder);
    QFile net(folder + QStringLiteral("/NET.txt"));
    if (!net.open(QIODevice::WriteOnly) ||
        net.write(QFile::encodeName(root + QStringLiteral("/VORNALIX.FDB\r\n"))) < 0)
        return 1;
    net.close();

    QTemporaryDir files;
    if (QProcess::execute(QStringLiteral("unzip"),
                          {QStringLiteral("-q"), QStringLiteral(VELDRUN_DATA_DIR "/postal/ken_all.zip"),
                           QStringLiteral("-d"), files.path()}) != 0) {
        std::fprintf(stderr, "bench_jobs: cannot unzip the postal file\n");
        return 1;
    }

    std::vector<double> postal, exported;
    QString postalSummary, exportSummary;
    for (int i = 0; i < kRuns; ++i) {
        postal.push_back(timeJob(
            folder, {QStringLiteral("--import-postal"), files.filePath(QStringLiteral("KEN_ALL.CSV"))},
            &postalSummary));
        exported.push_back(timeJob(
            folder, {QStringLiteral("--export-suppliers"), files.filePath(QStringLiteral("list.csv"))},
            &exportSummary));
        if (postal.back() < 0 || exported.back() < 0)
            return 1;
    }
    const auto stored = [](const QString& summary) {
        return QRegularExpression(QStringLiteral("stored=(\\d+)")).match(summary).captured(1).toInt();
    };
    if (stored(exportSummary) != bench::kListSuppliers) {
        std::fprintf(stderr, "bench_jobs: the export wrote %s\n", qPrintable(exportSummary));
        return 1;
    }
    std::printf("cli_import_postal_median: %.2f s\n", bench::median(postal));
    std::printf("cli_import_postal_rows: %d rows\n", stored(postalSummary));
    std::printf("cli_export_suppliers_100k_median: %.2f s\n", bench::median(exported));
    return 0;
}
