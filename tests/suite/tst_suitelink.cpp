#include <QDir>
#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "db/Connection.h"
#include "suite/SuiteLink.h"
#include "tests/support/TestSupport.h"

// The link reads real setting files from a folder laid out as an
// installation: <suite root>/VELDRUN holds the program and its files. The
// connection is connected only where a path must reach a real database file.

using SettingFiles = QMap<QString, QByteArray>;

namespace {

const QString kSuite = u"%SUITE%"_qs; // the suite's root folder in expected values
const QString kPass = u"zorquemit"_qs;
// What the settings and the connection hold before the link runs, so that a
// value the link must not touch shows up.
const QString kOldExe = u"/old/exe"_qs;
const QString kOldPath = u"old.fdb"_qs;
const QString kOldServer = u"oldhost"_qs;
const QStringList kOldParams = {u"Database=old.fdb"_qs, u"Server=oldhost"_qs};

const QString kNetInf = u"NET.inf"_qs;
const QString kNetTxt = u"NET.txt"_qs;
const QString kPassInf = u"PASS.inf"_qs;
const QString kExeInf = u"EXE_PATH.inf"_qs;

// Code page 932 written out byte by byte, so the test does not lean on the
// converter it checks: "スイート", "プログラム" and "データ".
const QByteArray kSuiteSjis("\x83\x58\x83\x43\x81\x5b\x83\x67");
const QByteArray kProgramSjis("\x83\x76\x83\x8d\x83\x4f\x83\x89\x83\x80");
const QByteArray kDataSjis("\x83\x66\x81\x5b\x83\x5e");

// The parameters for a database on server; the loopback list, without a
// server, names the protocol before the server.
QStringList params(const QString& database, const QString& server = {}, const QString& password = kPass)
{
    QStringList list{u"Database="_qs + database, u"User_Name=sysdba"_qs, u"Password="_qs + password};
    if (server.isEmpty())
        list << u"Protocol=TCPIP"_qs << u"Server=127.0.0.1"_qs;
    else
        list << u"Server="_qs + server << u"Protocol=TCPIP"_qs;
    return list << u"Port=3060"_qs << u"DriverID=FB"_qs;
}

// An installation in a temporary folder.
struct Installation
{
    QTemporaryDir dir;
    QString root = dir.path() + u"/スイート"_qs;
    QString program = root + u"/VELDRUN"_qs;

    Installation() { QDir().mkpath(program); }

    QString file(const QString& name) const { return program + u'/' + name; }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(f.fileName()));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    QByteArray read(const QString& name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void link(SuiteSettings& settings, db::Connection& suite) const
    {
        LinkSuiteDatabase(program, program + u"/VELDRUN"_qs, settings, suite);
    }
};

} // namespace

class TestSuiteLink : public QObject
{
    Q_OBJECT

private slots:
    void readSettingLines()
    {
        Installation inst;
        const auto lines = [&](const QByteArray& bytes) {
            inst.write(u"X.inf"_qs, bytes);
            return ReadSettingLines(inst.file(u"X.inf"_qs));
        };
        QCOMPARE(lines("a\r\nb\nc\rd"), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}));
        QCOMPARE(lines("a\r\n\r\n b\t\n\n"), (QStringList{u"a"_qs, {}, u" b\t"_qs, {}}));
        QCOMPARE(lines("\xef\xbb\xbfsecret\r\n"), QStringList{u"secret"_qs}); // the BOM dropped
        // Code page 932 when not UTF-8.
        QCOMPARE(lines(kSuiteSjis + "\r\n" + kProgramSjis), (QStringList{u"スイート"_qs, u"プログラム"_qs}));
        // A file that is not there has no lines.
        QCOMPARE(ReadSettingLines(inst.file(u"missing.inf"_qs)), QStringList());
    }

    void folders()
    {
        // The program's folder as given, the executable's name and its base name.
        Installation inst;
        SuiteSettings settings;
        db::Connection suite;
        LinkSuiteDatabase(inst.program + u"/../VELDRUN/."_qs, u"VELDRUN.1.bin"_qs, settings, suite);
        QCOMPARE(settings.ProgramFolder, inst.program);
        QCOMPARE(settings.SuiteFolder, inst.root);
        QCOMPARE(settings.ProgramBaseName, u"VELDRUN.1"_qs);
    }

    void link_data()
    {
        QTest::addColumn<SettingFiles>("files");
        QTest::addColumn<QStringList>("params"); // %SUITE% is the suite's root folder
        QTest::addColumn<QString>("netDatabasePath");
        QTest::addColumn<QString>("netServer");
        QTest::addColumn<QString>("exePath");
        QTest::addColumn<QByteArray>("exePathFile"); // null: there is none afterwards
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("refusal"); // a setting file too short stops the link
        const auto row = [](const char* name, const SettingFiles& files, const QStringList& params,
                            const QString& netPath, const QString& netServer,
                            const QString& exePath = kOldExe, const QByteArray& exePathFile = {},
                            const QString& password = kPass, const QString& refusal = {}) {
            QTest::newRow(name) << files << params << netPath << netServer << exePath << exePathFile
                                << password << refusal;
        };
        const QString defaultDb = u"%SUITE%/VORNALIX.FDB"_qs;
        const QString dataDb = u"%SUITE%/DATA/VORNALIX.FDB"_qs;
        const QString x = u"x.fdb"_qs;
        const QString fbhost = u"fbhost"_qs;
        const QString secret = u"secret"_qs;
        const QString optBin = u"/opt/bin"_qs;

        row("no setting files: default database on the loopback server", {}, params(defaultDb), kOldPath,
            kOldServer);
        row("NET.inf wins over NET.txt, which is not read, with PASS.inf and EXE_PATH.inf",
            {{kNetInf, "10.0.0.5\r\nD:\\VORNALIX.FDB\r\n"},
             {kPassInf, "secret\r\n"},
             {kExeInf, "/opt/bin\r\n"},
             {kNetTxt, "..\\DATA\\VORNALIX.FDB\r\nother\r\n\\\\nas\\C\\suite\r\n"}},
            params(u"D:\\VORNALIX.FDB"_qs, u"10.0.0.5"_qs, secret), kOldPath, kOldServer, optBin,
            "/opt/bin\r\n", secret);

        row("NET.txt one step up", {{kNetTxt, "..\\DATA\\VORNALIX.FDB\r\n"}}, params(dataDb), dataDb, {});
        row("NET.txt two steps up lose both", {{kNetTxt, "..\\..\\DATA\\VORNALIX.FDB"}}, params(dataDb),
            dataDb, {});
        row("NET.txt Windows path on the loopback server reads as a local path",
            {{kNetTxt, "\\srv\\suite\\X.FDB\r\n"}}, params(u"/srv/suite/X.FDB"_qs), u"/srv/suite/X.FDB"_qs,
            {});
        row("NET.txt path for another server is kept as written",
            {{kNetTxt, "D:\\DATA\\X.FDB\r\nfbhost\r\n"}}, params(u"D:\\DATA\\X.FDB"_qs, fbhost),
            u"D:\\DATA\\X.FDB"_qs, fbhost);
        row("NET.inf on the loopback server reads the path as a local one",
            {{kNetInf, "127.0.0.1\r\n\\srv\\X.FDB\r\n"}}, params(u"/srv/X.FDB"_qs, u"127.0.0.1"_qs), kOldPath,
            kOldServer);
        row("NET.txt in code page 932", {{kNetTxt, "..\\" + kDataSjis + "\\x.fdb\r\n"}},
            params(u"%SUITE%/データ/x.fdb"_qs), u"%SUITE%/データ/x.fdb"_qs, {});

        // The third line of NET.txt: where the suite's programs are, kept in EXE_PATH.inf.
        row("third line writes EXE_PATH.inf in code page 932",
            {{kNetTxt, u"x.fdb\r\n\r\n\\\\nas\\C\\スイート\\d\\プログラム\r\n"_qs.toUtf8()}}, params(x), x,
            {}, u"\\\\nas\\スイート\\プログラム"_qs, "\\\\nas\\" + kSuiteSjis + "\\" + kProgramSjis + "\r\n");

        // A short file: the steps before it are done, the parameters stay.
        row("one-line NET.inf",
            {{kPassInf, "secret\r\n"},
             {kExeInf, "/opt/bin\r\n"},
             {kNetInf, "fbhost\r\n"},
             {kNetTxt, "x.fdb\r\n"}},
            kOldParams, kOldPath, kOldServer, optBin, "/opt/bin\r\n", secret,
            u"設定ファイル「NET.inf」の2行目がありません。"_qs);
    }

    void link()
    {
        QFETCH(SettingFiles, files);
        QFETCH(QStringList, params);
        QFETCH(QString, netDatabasePath);
        QFETCH(QString, netServer);
        QFETCH(QString, exePath);
        QFETCH(QByteArray, exePathFile);
        QFETCH(QString, password);
        QFETCH(QString, refusal);

        Installation inst;
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            inst.write(it.key(), it.value());
        SuiteSettings settings;
        settings.ExePath = kOldExe;
        settings.NetDatabasePath = kOldPath;
        settings.NetServer = kOldServer;
        db::Connection suite;
        suite.setParams(kOldParams);
        try {
            inst.link(settings, suite);
            QVERIFY2(refusal.isEmpty(), "the link went through");
        } catch (const SettingFileError& e) {
            QCOMPARE(e.message(), refusal);
        }

        QCOMPARE(settings.DatabasePassword, password);
        QCOMPARE(settings.ExePath, exePath);
        QCOMPARE(settings.NetDatabasePath, netDatabasePath.replace(kSuite, inst.root));
        QCOMPARE(settings.NetServer, netServer);
        QCOMPARE(suite.params(), params.replaceInStrings(kSuite, inst.root));
        QVERIFY(!suite.isConnected());

        // QByteArray equates null and empty: existence is checked on its own.
        QCOMPARE(QFile::exists(inst.file(kExeInf)), !exePathFile.isNull());
        QCOMPARE(inst.read(kExeInf), exePathFile);
        // The other setting files are only read.
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            if (it.key() != kExeInf)
                QCOMPARE(inst.read(it.key()), it.value());
    }

    // Shift+F1 runs the link again: the files are read afresh and the parameter
    // list is replaced as a whole; the EXE_PATH.inf the first run wrote now wins.
    void secondRunRereadsTheFiles()
    {
        Installation inst;
        inst.write(kNetTxt, "dbserver:/var/db/VORNALIX.FDB\r\n\r\n\\\\nas\\C\\first\r\n");
        SuiteSettings settings;
        db::Connection suite;
        inst.link(settings, suite);
        QCOMPARE(suite.params(), params(u"/var/db/VORNALIX.FDB"_qs, u"dbserver"_qs));
        QCOMPARE(settings.ExePath, u"\\\\nas\\first"_qs);

        inst.write(kNetTxt, "..\\DATA\\VORNALIX.FDB\r\n\r\n\\\\nas\\C\\second\r\n");
        inst.write(kPassInf, "changed\r\n");
        inst.link(settings, suite);
        const QString dataDb = inst.root + u"/DATA/VORNALIX.FDB"_qs;
        QCOMPARE(suite.params(), params(dataDb, {}, u"changed"_qs));
        QCOMPARE(settings.ExePath, u"\\\\nas\\first"_qs);
        QCOMPARE(inst.read(kExeInf), QByteArray("\\\\nas\\first\r\n"));
    }

    // A database named the Windows way is reached for real on this machine.
    void windowsPathsConnect()
    {
        Installation inst;
        QVERIFY(QDir().mkpath(inst.root + u"/DATA"_qs));
        testing::SuiteDatabase database(testing::Suite::Current, inst.root + u"/DATA"_qs);
        inst.write(kNetTxt, "..\\DATA\\VORNALIX.FDB\r\n");
        SuiteSettings settings;
        db::Connection suite;
        inst.link(settings, suite);
        suite.setConnected(true);
        QVERIFY(suite.isConnected());
        suite.setConnected(false);

        QFile::remove(inst.file(kNetTxt));
        inst.write(kNetInf,
                   "127.0.0.1\r\n" + QString(database.path()).replace(u'/', u'\\').toUtf8() + "\r\n");
        inst.link(settings, suite);
        suite.setConnected(true);
        QVERIFY(suite.isConnected());
    }

    // A relative folder is read from the program folder, where the program runs.
    void suiteProgramFile()
    {
        QCOMPARE(SuiteProgramFile(QString(), u"VELDRUN_7"_qs), QString());
        QCOMPARE(SuiteProgramFile(u"/opt/suite"_qs, u"VELDRUN_7"_qs), u"/opt/suite/VELDRUN_7"_qs);
        const QString exePath = u"..\\PROGRAMS\\"_qs;
        QCOMPARE(SuiteProgramFile(exePath, u"VELDRUN_7"_qs), u"../PROGRAMS/VELDRUN_7"_qs);
        Installation inst;
        QVERIFY(QDir().mkpath(inst.root + u"/PROGRAMS"_qs));
        QFile program(inst.root + u"/PROGRAMS/VELDRUN_7"_qs);
        QVERIFY(program.open(QIODevice::WriteOnly));
        const auto back = qScopeGuard([previous = QDir::currentPath()] { QDir::setCurrent(previous); });
        QDir::setCurrent(inst.program);
        QVERIFY(QFile::exists(SuiteProgramFile(exePath, u"VELDRUN_7"_qs)));
    }
};

QTEST_GUILESS_MAIN(TestSuiteLink)
#include "tst_suitelink.moc"
