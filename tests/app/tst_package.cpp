// The Debian package: made by cpack from this build tree, unpacked into a
// folder as dpkg would install it, its control data read back, and the
// unpacked program run on a suite of the test server.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/TestSupport.h"

using namespace testing;

namespace {

// Runs a program to its end; its standard output, or the failure with all it said.
QString run(const QString& program, const QStringList& arguments, const QString& folder = {})
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, arguments);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return u"FAILED "_qs + program + u' ' + arguments.join(u' ') + u'\n' +
               QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void packageInstallsAndRuns()
    {
        const QString dpkgDeb = QStandardPaths::findExecutable(u"dpkg-deb"_qs);
        if (dpkgDeb.isEmpty())
            QFAIL("dpkg-deb is not installed (Debian package dpkg)");
        QTemporaryDir made;
        const QString built =
            run(QStringLiteral(VELDRUN_CPACK),
                {u"-G"_qs, u"DEB"_qs, u"--config"_qs, QStringLiteral(VELDRUN_BUILD_DIR "/CPackConfig.cmake"),
                 u"-B"_qs, made.path()});
        QVERIFY2(!built.startsWith(u"FAILED"_qs), qPrintable(built));
        const QStringList debs = QDir(made.path()).entryList({u"veldrun_*.deb"_qs});
        QCOMPARE(debs.size(), 1);
        const QString deb = made.filePath(debs.first());

        // The libraries it links, as the packages that hold them.
        const QString info = run(dpkgDeb, {u"-I"_qs, deb});
        const QString depends =
            QRegularExpression(u"^ Depends: (.*)$"_qs, QRegularExpression::MultilineOption)
                .match(info)
                .captured(1);
        for (const char* package :
             {"libfbclient2", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6printsupport6",
              "libqt6network6", "libicu72", "fonts-ipafont-mincho"})
            QVERIFY2(depends.contains(
                         QRegularExpression(QStringLiteral("(^|, )%1( |,|$)").arg(QLatin1String(package)))),
                     qPrintable(QLatin1String(package) + u" not in: "_qs + info));

        QTemporaryDir root;
        QCOMPARE(run(dpkgDeb, {u"-x"_qs, deb, root.path()}), QString());
        const auto text = [&root](const char* path) {
            QFile f(root.filePath(QLatin1String(path)));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        const QString entry = text("usr/share/applications/veldrun.desktop");
        QVERIFY2(entry.contains(u"Exec=VELDRUN\n"_qs), qPrintable(entry));
        QVERIFY(text("usr/share/icons/hicolor/scalable/apps/veldrun.svg").contains(u"<svg"_qs));
        const QString manual =
            run(u"gzip"_qs, {u"-dc"_qs, root.filePath(u"usr/share/man/man1/VELDRUN.1.gz"_qs)});
        QVERIFY(manual.contains(u"import\\-postal"_qs) && manual.contains(u".SH EXIT STATUS"_qs));

        // The unpacked program on a suite installation, as from any folder that holds one.
        const QString program = root.filePath(u"usr/bin/VELDRUN"_qs);
        QVERIFY(QFileInfo(program).isExecutable());
        QVERIFY(run(program, {u"--help"_qs}).contains(u"--export-suppliers FILE"_qs));
        Installation at;
        const QString checked = run(program, {u"--check"_qs}, at.programFolder());
        QVERIFY2(checked.startsWith(u"suppliers=0 deleted=0 schema="_qs), qPrintable(checked));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
