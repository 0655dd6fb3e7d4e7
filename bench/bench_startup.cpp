// Start-up time: from starting the program to the end of the main screen's
// first showing (databases open, settings read, schema checked), against the
// warm private server, as the median of 10 starts. Each start begins as after
// a normal end: without the local scratch database, which it creates again.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kStarts = 10;

bool run(const QString& program, const QStringList& args, const QString& folder, QByteArray* output = nullptr)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (output)
        *output = p.readAllStandardOutput();
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/startup");
    const QString programFolder = root + QStringLiteral("/VELDRUN");
    QDir().mkpath(programFolder);
    if (!QFile::exists(root + QStringLiteral("/VORNALIX.FDB")) &&
        !run(QStringLiteral(VELDRUN_SUITE_DB_SCRIPT), {root + QStringLiteral("/VORNALIX.FDB")}, root)) {
        std::fprintf(stderr, "bench_startup: cannot create the suite database\n");
        return 1;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString localDatabase = root + QStringLiteral("/LOCAL/VELDRUN.FDB");
    std::vector<double> times;
    for (int i = 0; i <= kStarts; ++i) {
        QFile::remove(localDatabase);
        QProcess p;
        p.setWorkingDirectory(programFolder);
        QElapsedTimer timer;
        timer.start();
        p.start(QStringLiteral(VELDRUN_EXECUTABLE), {QStringLiteral("--quit-after-start")});
        // The program prints "started" at the end of its first showing.
        QByteArray out;
        while (!out.contains("started") && p.waitForReadyRead(30000))
            out += p.readAllStandardOutput();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        p.waitForFinished(30000);
        if (!out.contains("started")) {
            std::fprintf(stderr, "bench_startup: the program did not start: %s\n",
                         p.readAllStandardError().constData());
            return 1;
        }
        if (i > 0) // the first start warms the caches
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const double median = (times[kStarts / 2 - 1] + times[kStarts / 2]) / 2;
    std::printf("startup_to_first_showing_median: %.0f ms\n", median);
    std::printf("startup_to_first_showing_min: %.0f ms\n", times.front());
    std::printf("startup_to_first_showing_max: %.0f ms\n", times.back());
    return 0;
}
