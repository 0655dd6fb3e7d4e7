// The command-line jobs, each through the real program on a suite
// installation of its own: done, refused (exit 2) and failed with nothing
// changed (exit 1). No display and no platform are given to the jobs, and a
// clerk's copy holds the single-copy lock all along: jobs run beside it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#include "app/SingleInstance.h"
#include "db/Query.h"
#include "tests/postal/PostalFiles.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

using namespace testing;

namespace {

struct Ran
{
    int code = -1;
    QString out;
    QString err;
};

// The lines of a code page 932 file.
QStringList fileLines(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? cp932::decode(f.readAll()).split(u"\r\n"_qs) : QStringList();
}

int summaryValue(const QString& out, const char* name)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("\\b%1=(\\d+)").arg(QLatin1String(name))).match(out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

class TestJobs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_files;
    QString m_current, m_older; // KEN_ALL.CSV of two months
    QProcessEnvironment m_environment;
    std::unique_ptr<SingleInstance> m_clerk;

    void start(QProcess& p, const Installation& at, const QStringList& arguments)
    {
        p.setProcessEnvironment(m_environment);
        p.setWorkingDirectory(at.programFolder());
        p.start(QStringLiteral(VELDRUN_EXECUTABLE), arguments);
        QVERIFY(p.waitForStarted());
    }

    Ran job(const Installation& at, const QStringList& arguments)
    {
        QProcess p;
        start(p, at, arguments);
        if (!p.waitForFinished(300000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    static void write(const QString& path, const QString& text)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(cp932::encode(text));
    }

    QString file(const char* name) const { return m_files.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        const QStringList files = unpackPostalFiles(m_files.path());
        QVERIFY2(files.size() == 2, "unzip failed");
        m_current = files[0];
        m_older = files[1];

        // A clerk's copy of the program holds the lock of this runtime folder.
        const QString runtime = file("run");
        QVERIFY(QDir().mkdir(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        m_clerk = std::make_unique<SingleInstance>(SingleInstance::nameFor(u"VELDRUN"_qs));
        QVERIFY(m_clerk->acquire());

        m_environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            m_environment.remove(QLatin1String(name));
        m_environment.insert(u"XDG_RUNTIME_DIR"_qs, runtime);
        m_environment.insert(u"XDG_STATE_HOME"_qs, file("state"));
    }

    void optionsOfTheProgram()
    {
        Installation at;
        const Ran help = job(at, {u"--help"_qs});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.contains(u"--import-postal FILE"_qs));
        const Ran bad = job(at, {u"--bogus"_qs});
        QVERIFY(bad.code == 2 && bad.err.contains(u"usage: VELDRUN"_qs));
    }

    // The postal file replaces LOOK_ZIP in one transaction: another
    // connection counting the table meanwhile, as the postal-code dialog
    // reads it, finds the old table or the new one, never a part of either.
    void postalImportBesideAReader()
    {
        Installation at;
        SuiteSql suite(at.params());
        const auto rows = [&suite] {
            return suite.value(u"select count(*) from LOOK_ZIP"_qs).toInt();
        };

        const Ran first = job(at, {u"--import-postal"_qs, m_older});
        QVERIFY2(first.code == 0, qPrintable(first.err));
        const int older = summaryValue(first.out, "stored");
        QVERIFY(older > 120000 && rows() == older);

        QProcess importing;
        start(importing, at, {u"--import-postal"_qs, m_current});
        db::Query count(suite.connection());
        count.setSnapshot(true);
        count.setSql(u"select count(*) from LOOK_ZIP"_qs);
        QList<int> seen;
        while (importing.state() != QProcess::NotRunning) {
            count.open();
            seen << count.field(0).asInteger();
            count.close();
            importing.waitForFinished(20);
        }
        QVERIFY2(importing.exitCode() == 0, importing.readAllStandardError().constData());
        const int current = summaryValue(QString::fromUtf8(importing.readAllStandardOutput()), "stored");
        QVERIFY(current != older && rows() == current);
        QVERIFY2(seen.count(older) > 5, "the reader did not read while the import ran");
        for (const int n : seen)
            QVERIFY2(n == older || n == current, qPrintable(QString::number(n)));

        // Ended by a signal half way: rolled back, and said to be a signal.
        QProcess ended;
        start(ended, at, {u"--import-postal"_qs, m_older});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += ended.readAllStandardError()).contains("import-postal: 20%"),
                                 120000);
        ::kill(pid_t(ended.processId()), SIGTERM);
        QVERIFY(ended.waitForFinished(60000));
        QCOMPARE(ended.exitCode(), 128 + SIGTERM);
        QCOMPARE(rows(), current);

        const Ran refused = job(at, {u"--import-postal"_qs, file("no/KEN_ALL.CSV")});
        QVERIFY(refused.code == 2 && refused.err.contains(u"cannot read"_qs));
    }

    void supplierImport()
    {
        Installation at;
        SuiteSql suite(at.params());
        suite.addSupplier(105, u"ﾌﾙｲ"_qs, u"古い山田"_qs);
        suite.addSupplier(900, u"ﾉｺﾙ"_qs, u"残る業者"_qs);
        const QString path = file("suppliers.csv");
        write(path, u"仕入先CD,ﾌﾘｶﾞﾅ,仕入先名１,住所１,メモ\r\n"
                    "105,ﾔﾏﾀﾞｹﾝｾﾂ,\"山田建設, 本社\",鳥取県鳥取市東町1-220,x\r\n"
                    "106,ｵﾊﾗ,O'Hara工務店,,y\r\n"
                    "107\r\n"_qs);

        const Ran appended = job(at, {u"--import-suppliers"_qs, path, u"--append"_qs});
        QVERIFY2(appended.code == 0, qPrintable(appended.err));
        QVERIFY(appended.err.contains(u"  1 「仕入先CD」 -> T_CD\n"_qs) &&
                appended.err.contains(u"  5 「メモ」 -> (not imported)\n"_qs));
        QVERIFY2(appended.err.contains(u"line 4 not stored (2 列目がありません。): 107"_qs),
                 qPrintable(appended.err));
        QVERIFY2(appended.out.startsWith(u"read=3 stored=2 skipped=1 "_qs) &&
                     appended.out.contains(u"mode=append generator=900"_qs),
                 qPrintable(appended.out));
        QCOMPARE(suite.supplier(105, u"T_NAME01"_qs).toString(), u"山田建設, 本社"_qs);
        QVERIFY(suite.supplier(900, u"T_CD"_qs).isValid());

        const Ran replaced = job(at, {u"--import-suppliers"_qs, path});
        QVERIFY(replaced.code == 0 && replaced.out.contains(u"stored=2 skipped=1"_qs));
        QCOMPARE(suite.column(u"select T_CD from MAS_SIIRE order by T_CD"_qs), (QVariantList{105, 106}));

        // Refused before anything changes: nothing mapped.
        write(file("nothing.csv"), u"名前,住所\r\n山田,鳥取\r\n"_qs);
        const Ran refused = job(at, {u"--import-suppliers"_qs, file("nothing.csv")});
        QVERIFY2(refused.code == 2 && refused.err.contains(u"no column of the file is mapped"_qs),
                 qPrintable(refused.err));
        QCOMPARE(suite.value(u"select count(*) from MAS_SIIRE"_qs).toInt(), 2);
    }

    void listExportAndPrint()
    {
        Installation at;
        SuiteSql suite(at.params());
        suite.addSupplier(101, u"ﾔﾏﾀﾞ"_qs, u"山田\"工務店\",本店"_qs, {}, 101);
        suite.addSupplier(102, u"ｵﾊﾗ"_qs, u"O'Hara建設"_qs, {}, 202);
        suite.addSupplier(103, u"ｹｽ"_qs, u"削除済"_qs, {}, 101, true);
        suite.addSupplier(104, u"ﾍﾝ"_qs, u"鳥取設備"_qs, {}, 202);
        // Bytes another program stored that are no code page 932 text.
        suite.run(u"update MAS_SIIRE set T_NAME02=ASCII_CHAR(133)||ASCII_CHAR(64) where T_CD=104"_qs);

        const QString all = file("all.csv");
        const Ran refused = job(at, {u"--export-suppliers"_qs, all});
        QCOMPARE(refused.code, 2);
        QVERIFY2(refused.err.contains(u"row 3 (仕入先CD 104), 仕入先名２: 「\uFFFD」 U+FFFD"_qs),
                 qPrintable(refused.err));
        QVERIFY(!QFile::exists(all));

        const Ran exported = job(at, {u"--export-suppliers"_qs, all, u"--replace-unmappable"_qs});
        QVERIFY2(exported.code == 0, qPrintable(exported.err));
        QVERIFY(exported.out.startsWith(u"read=3 stored=3 skipped=0 "_qs) &&
                exported.out.contains(u"replaced=1"_qs));
        // Every value quoted, a quote inside doubled (RFC 4180), CR LF after each line.
        const QStringList csv = fileLines(all);
        QCOMPARE(csv.size(), 5); // and nothing after the last line break
        QVERIFY2(csv[1].startsWith(u"\"101\",\"ﾔﾏﾀﾞ\",\"山田\"\"工務店\"\",本店\",\"\","_qs),
                 qPrintable(csv[1]));
        QVERIFY(csv[3].startsWith(u"\"104\",\"ﾍﾝ\",\"鳥取設備\",\"?@\","_qs) && csv[4].isEmpty());

        const QString pdf = file("list.pdf");
        const Ran printed = job(at, {u"--print-list-pdf"_qs, pdf, u"--trade"_qs, u"101"_qs});
        QVERIFY2(printed.code == 0, qPrintable(printed.err));
        QVERIFY(printed.out.contains(u"pages=1"_qs));
        QProcess text;
        text.start(u"pdftotext"_qs, {pdf, u"-"_qs});
        QVERIFY2(text.waitForFinished(60000) && text.exitCode() == 0, "pdftotext (poppler-utils) failed");
        const QString printedText = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(printedText.contains(u"工務店"_qs) && !printedText.contains(u"O'Hara"_qs));

        QCOMPARE(job(at, {u"--print-list-pdf"_qs, file("no/list.pdf")}).code, 2);
    }

    void checkChangesNothing()
    {
        Installation at;
        SuiteSql suite(at.params());
        suite.addSupplier(1, u"ｱ"_qs, u"一"_qs);
        suite.addSupplier(2, u"ｲ"_qs, u"二"_qs, {}, {}, true);
        // A first start from NET.txt would leave an EXE_PATH.inf; the check does not.
        at.writeSetting(u"NET.txt"_qs, at.databasePath().toUtf8() + "\r\n\r\n\\\\nas\\C\\suite\r\n");
        const Ran checked = job(at, {u"--check"_qs});
        QVERIFY2(checked.code == 0, qPrintable(checked.err));
        QVERIFY2(QRegularExpression(u"^suppliers=1 deleted=1 schema=incomplete "
                                    "missing=LOOK_KIHON.IB_KBN,LOOK_ZIP.YOMI seconds=[0-9.]+ "
                                    "database=inet://127.0.0.1:3060/.*VORNALIX.FDB\n$"_qs)
                     .match(checked.out)
                     .hasMatch(),
                 qPrintable(checked.out));
        QVERIFY(!QFile::exists(at.programFolder() + u"/EXE_PATH.inf"_qs));
    }

    // Every job on a suite database that cannot be reached: exit 1, the
    // error on standard error and in the log, no result line.
    void unreachableSuite()
    {
        Installation at;
        at.writeSetting(u"NET.txt"_qs, "/nonexistent/VORNALIX.FDB\r\n");
        write(file("one.csv"), u"仕入先CD,仕入先名１\r\n1,a\r\n"_qs);
        for (const QStringList& arguments : {QStringList{u"--import-postal"_qs, m_older},
                                             {u"--import-suppliers"_qs, file("one.csv")},
                                             {u"--export-suppliers"_qs, file("x.csv")},
                                             {u"--print-list-pdf"_qs, file("x.pdf")},
                                             {u"--check"_qs}}) {
            const Ran failed = job(at, arguments);
            QCOMPARE(failed.code, 1);
            QVERIFY2(failed.err.contains(u"/nonexistent/VORNALIX.FDB"_qs) && failed.out.isEmpty(),
                     qPrintable(failed.err));
        }
        QFile log(file("state/veldrun/veldrun.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().count("/nonexistent/VORNALIX.FDB") >= 5);
    }
};

QTEST_GUILESS_MAIN(TestJobs)
#include "tst_jobs.moc"
