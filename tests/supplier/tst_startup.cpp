// Starting the program on a suite installation, and ending it.

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>

#include "app/SingleInstance.h"
#include "db/Schema.h"
#include "search/Unit8.h"
#include "tests/supplier/Program.h"

using namespace testing;

namespace {

bool hasColumn(const Installation& installation, const char* table, const char* column)
{
    SuiteSql suite(installation.params());
    return db::HasColumn(suite.connection(), QLatin1String(table), QLatin1String(column));
}

// Starts the program and returns what its dialogs said, each answered by OK.
QStringList startSaying(Program& p, int boxes)
{
    bool started = false;
    const QStringList said = answering([&] { started = p.start(); }, QList<Responder>(boxes, ok()));
    return started ? said : QStringList{u"not started"_qs};
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs)); }

    void startsOnTheSuiteAndEndsCleanly()
    {
        Session s;
        Program& p = s.program;
        QCOMPARE(startSaying(p, 0), QStringList()); // nothing to say on starting

        // The local scratch database is created beside the program folder and used.
        const QDir local(s.installation.localFolder());
        const QString own = ProgramBaseName + u".FDB"_qs;
        QVERIFY2(local.exists(own), qPrintable(own));
        QVERIFY(p.dm.FDConnection_L.isConnected() && p.dm.FDConnection1.isConnected());
        QCOMPARE(p.dm.FDConnection1.param(u"Database"_qs),
                 QDir(s.installation.root()).absolutePath() + u"/VORNALIX.FDB"_qs);
        QCOMPARE(ProgramFolder, s.installation.programFolder());
        QCOMPARE(SuiteFolder, QDir(s.installation.root()).absolutePath());
        QVERIFY(!ComputerName.isEmpty() && ComputerName.size() <= 15);
        // No settings in the suite: the default days are 0; the clerk starts in the search key.
        QCOMPARE(p.form.BAN_08->text() + u'/' + p.form.BAN_09->text(), u"0/0"_qs);
        QCOMPARE(p.focusedName(), u"ED_01"_qs);

        QFile other(local.filePath(u"other.fdb"_qs));
        QVERIFY(other.open(QIODevice::WriteOnly));

        // No, and Enter taking the preselected No: nothing changes.
        QStringList said = answering(
            [&] {
                QVERIFY(!p.form.close());
                QVERIFY(!p.form.close());
            },
            {press(Qt::Key_N), press(Qt::Key_Return)});
        QCOMPARE(said, QStringList(2, u"終了しますか？"_qs));
        QVERIFY(p.form.isVisible() && p.dm.FDConnection_L.isConnected());
        QVERIFY(local.exists(own));
        QCOMPARE(MessageDialogMode, 0);

        // Yes: the local database is closed and removed; what is not the program's stays.
        answering([&] { QVERIFY(p.form.close()); }, {press(Qt::Key_Y)});
        QVERIFY(!p.dm.FDConnection_L.isConnected());
        QVERIFY(!local.exists(own) && local.exists(u"other.fdb"_qs));
    }

    void settingsOfTheSuite_data()
    {
        QTest::addColumn<QString>("closing");
        QTest::addColumn<QString>("payment");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("daysShown");
        QTest::addColumn<bool>("discountShown");
        QTest::newRow("days set") << u"25"_qs << u"110"_qs << u"株式会社因幡建設"_qs << u"25/110"_qs << false;
        QTest::newRow("not numbers") << u"末日"_qs << QString() << u"株式会社因幡建設"_qs << u"0/0"_qs
                                     << false;
        QTest::newRow("the customer")
            << u"20"_qs << QString() << u"株式会社ネリダス工業"_qs << u"20/0"_qs << true;
    }

    void settingsOfTheSuite()
    {
        QFETCH(QString, closing);
        QFETCH(QString, payment);
        QFETCH(QString, company);
        QFETCH(QString, daysShown);
        QFETCH(bool, discountShown);
        Session s;
        for (const auto& [code, value] :
             {qMakePair(0, company), qMakePair(901, closing), qMakePair(902, payment)})
            s.suite.run(u"insert into LOOK_KIHON (CD, NAME) values (:CD, :NAME)"_qs,
                        {{u"CD"_qs, code}, {u"NAME"_qs, value}});
        TForm1& f = s.program.form;
        QCOMPARE(startSaying(s.program, 0), QStringList());
        QCOMPARE(f.BAN_08->text() + u'/' + f.BAN_09->text(), daysShown);
        QCOMPARE(CompanyName, company);
        QCOMPARE(std::pair(f.ED_14->isVisible(), f.Label36->isVisible()),
                 std::pair(discountShown, discountShown));
        // The list table gets its discount column in the same installation.
        QCOMPARE(Form8->DataSource1.columns().size(), discountShown ? 32 : 31);
    }

    void olderSuitesAreCheckedQuietly()
    {
        Installation installation(Suite::Old);
        for (int start = 0; start < 2; ++start) {
            // The checks add the missing columns to the settings table; the
            // next start finds them there and carries on without a word.
            Program p;
            QCOMPARE(startSaying(p, 0), QStringList());
            QCOMPARE(p.form.BAN_08->text(), u"0"_qs);
        }
        QVERIFY(hasColumn(installation, "LOOK_KIHON", "E_MAILE") &&
                hasColumn(installation, "LOOK_KIHON", "INBOICE"));
        QVERIFY(!hasColumn(installation, "LOOK_KIHON", "IB_KBN") &&
                !hasColumn(installation, "MAS_SIIRE", "E_MAILE"));
    }

    // A settings table that cannot take the columns (here a view) is not
    // mistaken for one that has them: the clerk is told, and the start goes on.
    void refusedSchemaAdditionIsReported()
    {
        Installation installation(Suite::Old);
        SuiteSql suite(installation.params());
        suite.run(u"drop table LOOK_KIHON"_qs);
        suite.run(u"create table KIHON_T (CD integer, NAME varchar(100))"_qs);
        suite.run(u"create view LOOK_KIHON as select CD, NAME from KIHON_T"_qs);
        Program p;
        const QStringList said = startSaying(p, 2); // E_MAILE, INBOICE
        QCOMPARE(said.size(), 2);
        for (const QString& text : said)
            QVERIFY2(text.contains(u"LOOK_KIHON"_qs), qPrintable(text));
        QCOMPARE(p.form.BAN_08->text(), u"0"_qs); // the start went on
    }

    void unreachableSuiteIsReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing database")
            << u"NET.txt"_qs << QByteArray("/nonexistent/VORNALIX.FDB\r\n") << u"VORNALIX.FDB"_qs;
        QTest::newRow("short NET.inf")
            << u"NET.inf"_qs << QByteArray("dbserver\r\n") << u"「NET.inf」の2行目"_qs;
        QTest::newRow("empty PASS.inf") << u"PASS.inf"_qs << QByteArray() << u"「PASS.inf」の1行目"_qs;
    }

    // The screen stays open, without its defaults.
    void unreachableSuiteIsReported()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        Installation installation;
        installation.writeSetting(file, content);
        Program p;
        const QString shown = startSaying(p, 1).value(0);
        QVERIFY2(shown.contains(says), qPrintable(shown));
        QVERIFY(p.form.isVisible() && p.form.BAN_08->text().isEmpty());
        QVERIFY(!p.dm.FDConnection1.isConnected());
    }

    // Starts that cannot go on end, and say why: an option the program does
    // not know, a start from a script without its database, and a clerk's
    // start whose error box is up when a signal comes. Real processes.
    void failedStartsAndSignalsEndTheProgram()
    {
        Installation installation;
        installation.writeSetting(u"NET.txt"_qs, "/nonexistent/VORNALIX.FDB\r\n");
        const QString scratch = installation.localFolder() + u"/VELDRUN.FDB"_qs;
        QTemporaryDir runtime; // a single-copy lock of this test's own
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_RUNTIME_DIR"_qs, runtime.path());
        environment.insert(u"XDG_STATE_HOME"_qs, runtime.filePath(u"state"_qs));
        const auto start = [&](QProcess& p, const QStringList& arguments) {
            p.setProcessEnvironment(environment);
            p.setWorkingDirectory(installation.programFolder());
            p.start(QStringLiteral(VELDRUN_EXECUTABLE), arguments);
            QVERIFY(p.waitForStarted());
        };

        QProcess unknown;
        start(unknown, {u"--bogus"_qs});
        QVERIFY(unknown.waitForFinished(10000));
        QCOMPARE(unknown.exitCode(), 2);
        QVERIFY(unknown.readAllStandardError().contains("usage: VELDRUN"));

        // From a script: the error on standard error, never "started", and no
        // copy ended before holds the single-copy lock.
        const auto scriptedStart = [&] {
            QProcess scripted;
            start(scripted, {u"--quit-after-start"_qs});
            QVERIFY(scripted.waitForFinished(60000));
            QCOMPARE(scripted.exitCode(), 1);
            const QByteArray said = scripted.readAllStandardError();
            QVERIFY(said.contains("VORNALIX.FDB") && !said.contains("already running"));
            QVERIFY(scripted.readAllStandardOutput().isEmpty());
        };
        scriptedStart();
        for (const int signal : {SIGTERM, SIGINT}) {
            QProcess clerk;
            start(clerk, {});
            QByteArray logged; // the error is logged as its box is shown
            QTRY_VERIFY_WITH_TIMEOUT((logged += clerk.readAllStandardError()).contains("VORNALIX.FDB"),
                                     60000);
            QVERIFY(QFile::exists(scratch));
            QElapsedTimer clock;
            clock.start();
            ::kill(pid_t(clerk.processId()), signal);
            QVERIFY2(clerk.waitForFinished(5000), "the program outlived the signal");
            QVERIFY2(clock.elapsed() < 2000, qPrintable(u"it took %1 ms"_qs.arg(clock.elapsed())));
            QCOMPARE(clerk.exitCode(), 128 + signal);
            QVERIFY(!QFile::exists(scratch)); // ended the way closing ends it
        }
        scriptedStart();
    }

    // A second copy asks the running one to come forward and opens nothing.
    void secondCopyBringsTheFirstForward()
    {
        SingleInstance running(SingleInstance::nameFor(u"VELDRUN"_qs)); // as the running copy holds it
        QVERIFY2(running.acquire(), "another copy of the program is running for this user");
        QSignalSpy asked(&running, &SingleInstance::activationRequested);
        Installation installation;
        QProcess second;
        second.setWorkingDirectory(installation.programFolder());
        second.start(QStringLiteral(VELDRUN_EXECUTABLE), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);
        QTRY_COMPARE(asked.size(), 1);
        QVERIFY(!QFile::exists(installation.localFolder() + u"/VELDRUN.FDB"_qs));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
