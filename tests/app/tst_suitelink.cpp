#include "app/SuiteLink.h"
#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

// The link reads real setting files from a folder laid out as an
// installation: <suite root>/VELDRUN holds the program and its files. The
// connection is never connected; only its parameter list is looked at.

using SettingFiles = QMap<QString, QByteArray>;

namespace {

const QString kSuite = QStringLiteral("%SUITE%");

QByteArray cp932Bytes(std::initializer_list<unsigned char> bytes)
{
    QByteArray out;
    for (unsigned char b : bytes)
        out.append(char(b));
    return out;
}

// "スイート" and "プログラム" as code page 932, written out byte by byte so the
// test does not lean on the converter it checks.
const QByteArray kSuiteSjis = cp932Bytes({0x83, 0x58, 0x83, 0x43, 0x81, 0x5b, 0x83, 0x67});
const QByteArray kProgramSjis = cp932Bytes({0x83, 0x76, 0x83, 0x8d, 0x83, 0x4f, 0x83, 0x89, 0x83, 0x80});
// "ﾊﾟｽ秘密" and "データ"
const QByteArray kPasswordSjis = cp932Bytes({0xca, 0xdf, 0xbd, 0x94, 0xe9, 0x96, 0xa7});
const QByteArray kDataSjis = cp932Bytes({0x83, 0x66, 0x81, 0x5b, 0x83, 0x5e});

QStringList serverParams(const QString& database, const QString& password, const QString& server)
{
    return {QStringLiteral("Database=") + database, QStringLiteral("User_Name=sysdba"),
            QStringLiteral("Password=") + password, QStringLiteral("Server=") + server,
            QStringLiteral("Protocol=TCPIP"),       QStringLiteral("Port=3060"),
            QStringLiteral("DriverID=FB")};
}

QStringList loopbackParams(const QString& database, const QString& password = QStringLiteral("zorquemit"))
{
    return {QStringLiteral("Database=") + database, QStringLiteral("User_Name=sysdba"),
            QStringLiteral("Password=") + password, QStringLiteral("Protocol=TCPIP"),
            QStringLiteral("Server=127.0.0.1"),     QStringLiteral("Port=3060"),
            QStringLiteral("DriverID=FB")};
}

// What the settings and the connection hold before the link runs, so that a
// value the link must not touch shows up.
SuiteSettings previousSettings()
{
    SuiteSettings s;
    s.ExePath = QStringLiteral("/old/exe");
    s.NetDatabasePath = QStringLiteral("old.fdb");
    s.NetServer = QStringLiteral("oldhost");
    return s;
}

const QStringList kPreviousParams = {QStringLiteral("Database=old.fdb"), QStringLiteral("Server=oldhost")};

// An installation in a temporary folder.
class Installation
{
public:
    Installation()
        : m_root(m_dir.path() + QStringLiteral("/スイート")), m_program(m_root + QStringLiteral("/VELDRUN"))
    {
        QDir().mkpath(m_program);
    }

    QString root() const { return m_root; }
    QString program() const { return m_program; }
    QString executable() const { return m_program + QStringLiteral("/VELDRUN"); }
    QString file(const QString& name) const { return m_program + u'/' + name; }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(f.fileName()));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    void write(const SettingFiles& files) const
    {
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            write(it.key(), it.value());
    }
    QByteArray read(const QString& name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString expand(const QString& text) const { return QString(text).replace(kSuite, m_root); }
    QStringList expand(const QStringList& lines) const
    {
        QStringList out;
        for (const QString& line : lines)
            out << expand(line);
        return out;
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
    QString m_program;
};

// Line by line, so a failure names the entry that differs.
void compareParams(const QStringList& actual, const QStringList& expected)
{
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
    QCOMPARE(actual.size(), expected.size());
}

} // namespace

class TestSuiteLink : public QObject
{
    Q_OBJECT

private slots:
    void readSettingLines_data();
    void readSettingLines();
    void folders_data();
    void folders();
    void link_data();
    void link();
    void tooShortFiles_data();
    void tooShortFiles();
    void secondRunRereadsTheFiles();
};

void TestSuiteLink::readSettingLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    const QByteArray bom("\xef\xbb\xbf");
    QTest::newRow("empty file") << QByteArray("") << QStringList();
    QTest::newRow("one line without a break") << QByteArray("a") << QStringList{QStringLiteral("a")};
    QTest::newRow("CR LF, final break adds nothing")
        << QByteArray("a\r\nb\r\n") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("CR") << QByteArray("a\rb\r") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("mixed breaks") << QByteArray("a\r\nb\nc\rd")
                                  << QStringList{QStringLiteral("a"), QStringLiteral("b"),
                                                 QStringLiteral("c"), QStringLiteral("d")};
    QTest::newRow("empty lines inside and at the end")
        << QByteArray("a\r\n\r\nb\n\n")
        << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()};
    QTest::newRow("LF then CR is two breaks")
        << QByteArray("a\n\rb") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("a lone break is one empty line") << QByteArray("\r\n") << QStringList{QString()};
    QTest::newRow("blanks are kept") << QByteArray(" a \t\r\n") << QStringList{QStringLiteral(" a \t")};
    QTest::newRow("BOM alone") << bom << QStringList();
    QTest::newRow("BOM is dropped") << bom + QByteArray("secret\r\n")
                                    << QStringList{QStringLiteral("secret")};
    QTest::newRow("UTF-8 Japanese") << QStringLiteral("スイート\r\nプログラム").toUtf8()
                                    << QStringList{QStringLiteral("スイート"), QStringLiteral("プログラム")};
    QTest::newRow("code page 932 when not UTF-8")
        << kSuiteSjis + QByteArray("\r\n") + kProgramSjis
        << QStringList{QStringLiteral("スイート"), QStringLiteral("プログラム")};
    QTest::newRow("code page 932 half-width kana") << kPasswordSjis << QStringList{QStringLiteral("ﾊﾟｽ秘密")};
}

void TestSuiteLink::readSettingLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    Installation inst;
    inst.write(QStringLiteral("X.inf"), bytes);
    QCOMPARE(ReadSettingLines(inst.file(QStringLiteral("X.inf"))), lines);
    // A file that is not there has no lines.
    QCOMPARE(ReadSettingLines(inst.file(QStringLiteral("missing.inf"))), QStringList());
}

void TestSuiteLink::folders_data()
{
    QTest::addColumn<QString>("programFolder"); // %PROGRAM% is the program's folder
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("baseName");

    QTest::newRow("plain") << QStringLiteral("%PROGRAM%") << QStringLiteral("/usr/bin/VELDRUN")
                           << QStringLiteral("VELDRUN");
    QTest::newRow("trailing slash, extension")
        << QStringLiteral("%PROGRAM%/") << QStringLiteral("/opt/VELDRUN.exe") << QStringLiteral("VELDRUN");
    QTest::newRow("steps in the folder, two dots in the name")
        << QStringLiteral("%PROGRAM%/../VELDRUN/.") << QStringLiteral("VELDRUN.1.bin")
        << QStringLiteral("VELDRUN.1");
}

void TestSuiteLink::folders()
{
    QFETCH(QString, programFolder);
    QFETCH(QString, executable);
    QFETCH(QString, baseName);

    Installation inst;
    SuiteSettings settings;
    db::Connection suite;
    LinkSuiteDatabase(programFolder.replace(QStringLiteral("%PROGRAM%"), inst.program()), executable,
                      settings, suite);
    QCOMPARE(settings.ProgramFolder, inst.program());
    QCOMPARE(settings.SuiteFolder, inst.root());
    QCOMPARE(settings.ProgramBaseName, baseName);
    compareParams(suite.params(), loopbackParams(inst.root() + QStringLiteral("/VORNALIX.FDB")));
}

void TestSuiteLink::link_data()
{
    QTest::addColumn<SettingFiles>("files");
    QTest::addColumn<QStringList>("params"); // %SUITE% is the suite's root folder
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("exePath");
    QTest::addColumn<QString>("netDatabasePath");
    QTest::addColumn<QString>("netServer");
    QTest::addColumn<QByteArray>("exePathFile"); // null: there is none afterwards

    const QString pass = QStringLiteral("zorquemit");
    const QString oldExe = QStringLiteral("/old/exe");
    const QString oldPath = QStringLiteral("old.fdb");
    const QString oldServer = QStringLiteral("oldhost");
    const QString net = QStringLiteral("NET.txt");
    const QString netIni = QStringLiteral("NET.inf");
    const QString exeFile = QStringLiteral("EXE_PATH.inf");
    const QString passFile = QStringLiteral("PASS.inf");

    QTest::newRow("no setting files: default database on the loopback server")
        << SettingFiles{} << loopbackParams(QStringLiteral("%SUITE%/VORNALIX.FDB")) << pass << oldExe
        << oldPath << oldServer << QByteArray();

    QTest::newRow("NET.inf wins over NET.txt, which is not read")
        << SettingFiles{{netIni, "fbhost\r\n/srv/firebird/VORNALIX.FDB\r\n"},
                        {net, "..\\DATA\\VORNALIX.FDB\r\nother\r\n\\\\nas\\C\\suite\r\n"}}
        << serverParams(QStringLiteral("/srv/firebird/VORNALIX.FDB"), pass, QStringLiteral("fbhost")) << pass
        << oldExe << oldPath << oldServer << QByteArray();

    QTest::newRow("NET.inf beside an empty NET.txt, LF breaks, extra line ignored")
        << SettingFiles{{netIni, "fbhost\n/srv/VORNALIX.FDB\nignored\n"}, {net, ""}}
        << serverParams(QStringLiteral("/srv/VORNALIX.FDB"), pass, QStringLiteral("fbhost")) << pass << oldExe
        << oldPath << oldServer << QByteArray();

    QTest::newRow("NET.inf with PASS.inf and EXE_PATH.inf")
        << SettingFiles{{netIni, "10.0.0.5\r\nD:\\VORNALIX\\VORNALIX.FDB\r\n"},
                        {passFile, "secret\r\n"},
                        {exeFile, "/opt/suite/bin\r\n"}}
        << serverParams(QStringLiteral("D:\\VORNALIX\\VORNALIX.FDB"), QStringLiteral("secret"),
                        QStringLiteral("10.0.0.5"))
        << QStringLiteral("secret") << QStringLiteral("/opt/suite/bin") << oldPath << oldServer
        << QByteArray("/opt/suite/bin\r\n");

    QTest::newRow("NET.txt one step up")
        << SettingFiles{{net, "..\\DATA\\VORNALIX.FDB\r\n"}}
        << loopbackParams(QStringLiteral("%SUITE%/DATA\\VORNALIX.FDB")) << pass << oldExe
        << QStringLiteral("%SUITE%/DATA\\VORNALIX.FDB") << QString() << QByteArray();

    QTest::newRow("NET.txt two steps up lose both")
        << SettingFiles{{net, "..\\..\\DATA\\VORNALIX.FDB"}}
        << loopbackParams(QStringLiteral("%SUITE%/DATA\\VORNALIX.FDB")) << pass << oldExe
        << QStringLiteral("%SUITE%/DATA\\VORNALIX.FDB") << QString() << QByteArray();

    QTest::newRow("NET.txt step in the middle")
        << SettingFiles{{net, "DATA\\..\\VORNALIX.FDB\r\n"}}
        << loopbackParams(QStringLiteral("%SUITE%/DATA\\VORNALIX.FDB")) << pass << oldExe
        << QStringLiteral("%SUITE%/DATA\\VORNALIX.FDB") << QString() << QByteArray();

    QTest::newRow("NET.txt local path, empty second line")
        << SettingFiles{{net, "/data/VORNALIX.FDB\r\n\r\n"}}
        << loopbackParams(QStringLiteral("/data/VORNALIX.FDB")) << pass << oldExe
        << QStringLiteral("/data/VORNALIX.FDB") << QString() << QByteArray();

    QTest::newRow("NET.txt with an empty first line")
        << SettingFiles{{net, "\r\n"}} << loopbackParams(QString()) << pass << oldExe << QString()
        << QString() << QByteArray();

    QTest::newRow("NET.txt server:/path wins over the second line")
        << SettingFiles{{net, "dbserver:/var/db/VORNALIX.FDB\r\nbackup\r\n"}}
        << serverParams(QStringLiteral("/var/db/VORNALIX.FDB"), pass, QStringLiteral("dbserver")) << pass
        << oldExe << QStringLiteral("/var/db/VORNALIX.FDB") << QStringLiteral("dbserver") << QByteArray();

    QTest::newRow("NET.txt server in the second line")
        << SettingFiles{{net, "/srv/firebird/VORNALIX.FDB\r\nfbhost\r\n"}}
        << serverParams(QStringLiteral("/srv/firebird/VORNALIX.FDB"), pass, QStringLiteral("fbhost")) << pass
        << oldExe << QStringLiteral("/srv/firebird/VORNALIX.FDB") << QStringLiteral("fbhost") << QByteArray();

    QTest::newRow("NET.txt third line writes EXE_PATH.inf in code page 932")
        << SettingFiles{{net,
                         QStringLiteral("..\\VORNALIX.FDB\r\n\r\n\\\\nas\\C\\スイート\\d\\プログラム\r\n")
                             .toUtf8()}}
        << loopbackParams(QStringLiteral("%SUITE%/VORNALIX.FDB")) << pass
        << QStringLiteral("\\\\nas\\スイート\\プログラム") << QStringLiteral("%SUITE%/VORNALIX.FDB")
        << QString()
        << QByteArray("\\\\nas\\") + kSuiteSjis + QByteArray("\\") + kProgramSjis + QByteArray("\r\n");

    QTest::newRow("NET.txt drive segments in a row, C to G only")
        << SettingFiles{{net, "x.fdb\r\nfbhost\r\n\\\\nas\\C\\D\\e\\H\\prog"}}
        << serverParams(QStringLiteral("x.fdb"), pass, QStringLiteral("fbhost")) << pass
        << QStringLiteral("\\\\nas\\H\\prog") << QStringLiteral("x.fdb") << QStringLiteral("fbhost")
        << QByteArray("\\\\nas\\H\\prog\r\n");

    QTest::newRow("existing EXE_PATH.inf beats the third line")
        << SettingFiles{{exeFile, "/opt/suite/bin\r\n"}, {net, "x.fdb\r\n\r\n\\\\nas\\C\\suite\r\n"}}
        << loopbackParams(QStringLiteral("x.fdb")) << pass << QStringLiteral("/opt/suite/bin")
        << QStringLiteral("x.fdb") << QString() << QByteArray("/opt/suite/bin\r\n");

    QTest::newRow("empty EXE_PATH.inf keeps ExePath and blocks the third line")
        << SettingFiles{{exeFile, ""}, {net, "x.fdb\r\n\r\n\\\\nas\\C\\suite\r\n"}}
        << loopbackParams(QStringLiteral("x.fdb")) << pass << oldExe << QStringLiteral("x.fdb") << QString()
        << QByteArray("");

    QTest::newRow("NET.txt without a third line")
        << SettingFiles{{net, "x.fdb\r\nfbhost\r\n"}}
        << serverParams(QStringLiteral("x.fdb"), pass, QStringLiteral("fbhost")) << pass << oldExe
        << QStringLiteral("x.fdb") << QStringLiteral("fbhost") << QByteArray();

    QTest::newRow("NET.txt with an empty third line: empty ExePath, no file")
        << SettingFiles{{net, "x.fdb\r\n\r\n\r\n"}} << loopbackParams(QStringLiteral("x.fdb")) << pass
        << QString() << QStringLiteral("x.fdb") << QString() << QByteArray();

    QTest::newRow("NET.txt in code page 932")
        << SettingFiles{{net, QByteArray("..\\") + kDataSjis + QByteArray("\\VORNALIX.FDB\r\n")}}
        << loopbackParams(QStringLiteral("%SUITE%/データ\\VORNALIX.FDB")) << pass << oldExe
        << QStringLiteral("%SUITE%/データ\\VORNALIX.FDB") << QString() << QByteArray();

    QTest::newRow("PASS.inf in code page 932")
        << SettingFiles{{passFile, kPasswordSjis + QByteArray("\r\n")}}
        << loopbackParams(QStringLiteral("%SUITE%/VORNALIX.FDB"), QStringLiteral("ﾊﾟｽ秘密"))
        << QStringLiteral("ﾊﾟｽ秘密") << oldExe << oldPath << oldServer << QByteArray();

    QTest::newRow("PASS.inf in UTF-8 with BOM")
        << SettingFiles{{passFile, QByteArray("\xef\xbb\xbf") + QStringLiteral("パス秘密\r\n").toUtf8()}}
        << loopbackParams(QStringLiteral("%SUITE%/VORNALIX.FDB"), QStringLiteral("パス秘密"))
        << QStringLiteral("パス秘密") << oldExe << oldPath << oldServer << QByteArray();
}

void TestSuiteLink::link()
{
    QFETCH(SettingFiles, files);
    QFETCH(QStringList, params);
    QFETCH(QString, password);
    QFETCH(QString, exePath);
    QFETCH(QString, netDatabasePath);
    QFETCH(QString, netServer);
    QFETCH(QByteArray, exePathFile);

    Installation inst;
    inst.write(files);

    SuiteSettings settings = previousSettings();
    db::Connection suite;
    suite.setParams(kPreviousParams);
    LinkSuiteDatabase(inst.program(), inst.executable(), settings, suite);

    QCOMPARE(settings.ProgramFolder, inst.program());
    QCOMPARE(settings.SuiteFolder, inst.root());
    QCOMPARE(settings.ProgramBaseName, QStringLiteral("VELDRUN"));
    QCOMPARE(settings.DatabasePassword, password);
    QCOMPARE(settings.ExePath, exePath);
    QCOMPARE(settings.NetDatabasePath, inst.expand(netDatabasePath));
    QCOMPARE(settings.NetServer, netServer);
    compareParams(suite.params(), inst.expand(params));
    QVERIFY(!suite.isConnected());

    // QByteArray equates null and empty: existence is checked on its own.
    QCOMPARE(QFile::exists(inst.file(QStringLiteral("EXE_PATH.inf"))), !exePathFile.isNull());
    QCOMPARE(inst.read(QStringLiteral("EXE_PATH.inf")), exePathFile);
    // The other setting files are only read.
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (it.key() != QStringLiteral("EXE_PATH.inf"))
            QCOMPARE(inst.read(it.key()), it.value());
}

void TestSuiteLink::tooShortFiles_data()
{
    QTest::addColumn<SettingFiles>("files");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("password"); // the steps before the short file are done
    QTest::addColumn<QString>("exePath");

    const QString pass = QStringLiteral("zorquemit");
    const QString oldExe = QStringLiteral("/old/exe");
    const QByteArray goodPass("secret\r\n");
    const QByteArray goodExe("/opt/bin\r\n");

    QTest::newRow("empty PASS.inf") << SettingFiles{{QStringLiteral("PASS.inf"), ""},
                                                    {QStringLiteral("EXE_PATH.inf"), goodExe}}
                                    << QStringLiteral("PASS.inf") << 1
                                    << QStringLiteral("設定ファイル「PASS.inf」の1行目がありません。") << pass << oldExe;
    QTest::newRow("PASS.inf holding only a BOM")
        << SettingFiles{{QStringLiteral("PASS.inf"), "\xef\xbb\xbf"}} << QStringLiteral("PASS.inf") << 1
        << QStringLiteral("設定ファイル「PASS.inf」の1行目がありません。") << pass << oldExe;
    QTest::newRow("one-line NET.inf")
        << SettingFiles{{QStringLiteral("PASS.inf"), goodPass},
                        {QStringLiteral("EXE_PATH.inf"), goodExe},
                        {QStringLiteral("NET.inf"), "fbhost\r\n"},
                        {QStringLiteral("NET.txt"), "x.fdb\r\n"}}
        << QStringLiteral("NET.inf") << 2 << QStringLiteral("設定ファイル「NET.inf」の2行目がありません。")
        << QStringLiteral("secret") << QStringLiteral("/opt/bin");
    QTest::newRow("empty NET.inf") << SettingFiles{{QStringLiteral("NET.inf"), ""}}
                                   << QStringLiteral("NET.inf") << 2
                                   << QStringLiteral("設定ファイル「NET.inf」の2行目がありません。") << pass << oldExe;
    QTest::newRow("empty NET.txt") << SettingFiles{{QStringLiteral("PASS.inf"), goodPass},
                                                   {QStringLiteral("NET.txt"), ""}}
                                   << QStringLiteral("NET.txt") << 1
                                   << QStringLiteral("設定ファイル「NET.txt」の1行目がありません。")
                                   << QStringLiteral("secret") << oldExe;
}

void TestSuiteLink::tooShortFiles()
{
    QFETCH(SettingFiles, files);
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QString, message);
    QFETCH(QString, password);
    QFETCH(QString, exePath);

    Installation inst;
    inst.write(files);

    SuiteSettings settings = previousSettings();
    db::Connection suite;
    suite.setParams(kPreviousParams);
    try {
        LinkSuiteDatabase(inst.program(), inst.executable(), settings, suite);
        QFAIL("a short setting file must stop the link");
    } catch (const SettingFileError& e) {
        QCOMPARE(e.file(), file);
        QCOMPARE(e.line(), line);
        QCOMPARE(e.message(), message);
        QVERIFY(QString::fromUtf8(e.what()).contains(file));
    }
    compareParams(suite.params(), kPreviousParams);
    QVERIFY(!suite.isConnected());
    QCOMPARE(settings.SuiteFolder, inst.root());
    QCOMPARE(settings.DatabasePassword, password);
    QCOMPARE(settings.ExePath, exePath);
    QCOMPARE(settings.NetDatabasePath, QStringLiteral("old.fdb"));
    QCOMPARE(settings.NetServer, QStringLiteral("oldhost"));
    if (!files.contains(QStringLiteral("EXE_PATH.inf")))
        QVERIFY(!QFile::exists(inst.file(QStringLiteral("EXE_PATH.inf"))));
}

// Shift+F1 runs the link again: the files are read afresh and the parameter
// list is replaced as a whole; the EXE_PATH.inf the first run wrote now wins.
void TestSuiteLink::secondRunRereadsTheFiles()
{
    Installation inst;
    inst.write(QStringLiteral("NET.txt"), "dbserver:/var/db/VORNALIX.FDB\r\n\r\n\\\\nas\\C\\first\r\n");

    SuiteSettings settings;
    db::Connection suite;
    LinkSuiteDatabase(inst.program(), inst.executable(), settings, suite);
    compareParams(suite.params(), serverParams(QStringLiteral("/var/db/VORNALIX.FDB"),
                                               QStringLiteral("zorquemit"), QStringLiteral("dbserver")));
    QCOMPARE(settings.ExePath, QStringLiteral("\\\\nas\\first"));

    inst.write(QStringLiteral("NET.txt"), "..\\DATA\\VORNALIX.FDB\r\n\r\n\\\\nas\\C\\second\r\n");
    inst.write(QStringLiteral("PASS.inf"), "changed\r\n");
    LinkSuiteDatabase(inst.program(), inst.executable(), settings, suite);
    compareParams(suite.params(), loopbackParams(inst.root() + QStringLiteral("/DATA\\VORNALIX.FDB"),
                                                 QStringLiteral("changed")));
    QCOMPARE(settings.ExePath, QStringLiteral("\\\\nas\\first"));
    QCOMPARE(inst.read(QStringLiteral("EXE_PATH.inf")), QByteArray("\\\\nas\\first\r\n"));
    QCOMPARE(settings.NetServer, QString());

    // Without NET.txt the default database returns; the values read from it
    // stay until it is read again.
    QVERIFY(QFile::remove(inst.file(QStringLiteral("NET.txt"))));
    LinkSuiteDatabase(inst.program(), inst.executable(), settings, suite);
    compareParams(suite.params(),
                  loopbackParams(inst.root() + QStringLiteral("/VORNALIX.FDB"), QStringLiteral("changed")));
    QCOMPARE(settings.NetDatabasePath, inst.root() + QStringLiteral("/DATA\\VORNALIX.FDB"));
}

QTEST_GUILESS_MAIN(TestSuiteLink)
#include "tst_suitelink.moc"
