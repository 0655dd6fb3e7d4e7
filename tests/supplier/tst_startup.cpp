#include "app/SingleInstance.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "dialogs/Forms.h"
#include "dialogs/Modal.h"
#include "search/Unit8.h"
#include "tests/supplier/Program.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using testing::Installation;
using testing::Program;

namespace {

bool hasColumn(const Installation& installation, const char* table, const char* column)
{
    db::Connection c;
    c.params() = installation.params();
    return db::HasColumn(c, QLatin1String(table), QLatin1String(column));
}

void run(const Installation& installation, const QString& sql)
{
    db::Connection c;
    c.params() = installation.params();
    db::Query q(c);
    q.setSql(sql);
    q.execute();
}

// Answers the program's message dialog with a key, keeping what it said.
modal::Script::Responder answer(Qt::Key key, QString* text = nullptr)
{
    return [key, text](QDialog& d) {
        if (text)
            *text = static_cast<TMASSAGE_FORM&>(d).LABEL->text();
        QTest::keyClick(QApplication::focusWidget(), key);
    };
}

} // namespace

// Starting the program on a suite installation, and ending it.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script"))); }

    void startsOnTheSuiteAndEndsCleanly()
    {
        Installation installation;
        modal::Script script; // nothing to say on starting
        Program p(installation);
        QVERIFY(p.start());
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));

        // The local scratch database is created beside the program folder and used.
        const QDir local(installation.localFolder());
        const QString own = ProgramBaseName + QStringLiteral(".FDB");
        QVERIFY2(local.exists(own), qPrintable(own));
        QVERIFY(p.dm.FDConnection_L.isConnected());
        QVERIFY(p.dm.FDConnection1.isConnected());
        QCOMPARE(p.dm.FDConnection1.param(QStringLiteral("Database")),
                 QDir(installation.root()).absolutePath() + QStringLiteral("/VORNALIX.FDB"));
        QCOMPARE(ProgramFolder, installation.programFolder());
        QCOMPARE(SuiteFolder, QDir(installation.root()).absolutePath());
        QVERIFY(!ComputerName.isEmpty() && ComputerName.size() <= 15);
        // No settings in the suite: the default days are 0; the clerk starts in the search key.
        QCOMPARE(p.form.BAN_08->text() + u'/' + p.form.BAN_09->text(), QStringLiteral("0/0"));
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01"));

        const QStringList scratch = {QStringLiteral("X") + own, QStringLiteral("temp.tmp"), QStringLiteral("notes")};
        const QStringList others = {QStringLiteral("VELDRUN_7.FDB"), QStringLiteral("other.fdb")};
        local.mkpath(QStringLiteral("sub"));
        for (const QString& name : scratch + others + QStringList{QStringLiteral("sub/keep.txt")}) {
            QFile f(local.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }

        // No, and Enter taking the preselected No: nothing changes.
        QString asked;
        script.answer(answer(Qt::Key_N, &asked));
        script.answer(answer(Qt::Key_Return));
        QVERIFY(!p.form.close());
        QCOMPARE(asked, QStringLiteral("終了しますか？"));
        QVERIFY(!p.form.close());
        QVERIFY(p.form.isVisible());
        QVERIFY(p.dm.FDConnection_L.isConnected());
        QVERIFY(local.exists(own) && local.exists(QStringLiteral("temp.tmp")));
        QCOMPARE(MessageDialogMode, 0);

        // Yes: the local database is closed and exactly the scratch files go.
        script.answer(answer(Qt::Key_Y));
        QVERIFY(p.form.close());
        QVERIFY(!p.dm.FDConnection_L.isConnected());
        QVERIFY(!local.exists(own));
        for (const QString& name : scratch)
            QVERIFY2(!local.exists(name), qPrintable(name));
        for (const QString& name : others)
            QVERIFY2(local.exists(name), qPrintable(name));
        QVERIFY(local.exists(QStringLiteral("sub/keep.txt")));
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }

    void settingsOfTheSuite_data()
    {
        QTest::addColumn<QString>("closing");
        QTest::addColumn<QString>("payment");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("daysShown");
        QTest::addColumn<bool>("discountShown");
        QTest::newRow("days set") << "25" << "110" << "株式会社因幡建設" << "25/110" << false;
        QTest::newRow("not numbers") << "末日" << "" << "株式会社因幡建設" << "0/0" << false;
        QTest::newRow("the customer") << "20" << "" << "株式会社ネリダス工業" << "20/0" << true;
        QTest::newRow("part of the name") << "" << "" << "ネリダ建設" << "0/0" << false;
    }

    void settingsOfTheSuite()
    {
        QFETCH(QString, closing);
        QFETCH(QString, payment);
        QFETCH(QString, company);
        QFETCH(QString, daysShown);
        QFETCH(bool, discountShown);
        Installation installation;
        db::Connection c;
        c.params() = installation.params();
        db::Query q(c);
        q.setSql(QStringLiteral("insert into LOOK_KIHON (CD, NAME) values (:CD, :NAME)"));
        for (const auto& [code, value] : {qMakePair(0, company), qMakePair(901, closing), qMakePair(902, payment)}) {
            q.setParam(QStringLiteral("CD"), code);
            q.setParam(QStringLiteral("NAME"), value);
            q.execute();
        }
        modal::Script script;
        Program p(installation);
        QVERIFY(p.start());
        QCOMPARE(p.form.BAN_08->text() + u'/' + p.form.BAN_09->text(), daysShown);
        QCOMPARE(CompanyName, company);
        QCOMPARE(p.form.ED_14->isVisible(), discountShown);
        QCOMPARE(p.form.Label36->isVisible(), discountShown);
        // The list table gets its discount column in the same installation.
        QCOMPARE(Form8->DataSource1.columns().size(), discountShown ? 32 : 31);
        QVERIFY(script.verify().isEmpty());
    }

    void olderSuitesAreCheckedQuietly()
    {
        Installation installation(testing::Suite::Old);
        for (int start = 0; start < 2; ++start) {
            // The checks add the missing columns to the settings table; the
            // next start finds them there and carries on without a word.
            modal::Script script;
            Program p(installation);
            QVERIFY(p.start());
            QCOMPARE(script.shownCount(), 0);
            QCOMPARE(p.form.BAN_08->text(), QStringLiteral("0"));
        }
        QVERIFY(hasColumn(installation, "LOOK_KIHON", "E_MAILE"));
        QVERIFY(hasColumn(installation, "LOOK_KIHON", "INBOICE"));
        QVERIFY(!hasColumn(installation, "LOOK_KIHON", "IB_KBN"));
        QVERIFY(!hasColumn(installation, "MAS_SIIRE", "E_MAILE"));

        // A current suite has them all; only IB_KBN is added to the settings table.
        Installation current;
        modal::Script script;
        Program p(current);
        QVERIFY(p.start());
        QVERIFY(hasColumn(current, "LOOK_KIHON", "IB_KBN"));
        QVERIFY(!hasColumn(current, "LOOK_KIHON", "E_MAILE"));
        QCOMPARE(script.shownCount(), 0);
    }

    // A settings table that cannot take the columns (here a view) is not
    // mistaken for one that has them: the clerk is told, and the start goes on.
    void refusedSchemaAdditionIsReported()
    {
        Installation installation(testing::Suite::Old);
        run(installation, QStringLiteral("drop table LOOK_KIHON"));
        run(installation, QStringLiteral("create table KIHON_T (CD integer, NAME varchar(100))"));
        run(installation, QStringLiteral("create view LOOK_KIHON as select CD, NAME from KIHON_T"));
        QStringList shown;
        modal::Script script;
        for (int box = 0; box < 2; ++box) // E_MAILE, INBOICE
            script.answer([&shown](QDialog& d) {
                shown << static_cast<QMessageBox&>(d).text();
                static_cast<QMessageBox&>(d).button(QMessageBox::Ok)->click();
            });
        Program p(installation);
        QVERIFY(p.start());
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        for (const QString& text : shown)
            QVERIFY2(text.contains(QLatin1String("LOOK_KIHON")), qPrintable(text));
        QCOMPARE(p.form.BAN_08->text(), QStringLiteral("0")); // the start went on
    }

    void unreachableSuiteIsReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing database") << "NET.txt" << QByteArray("/nonexistent/VORNALIX.FDB\r\n") << "VORNALIX.FDB";
        QTest::newRow("short NET.inf") << "NET.inf" << QByteArray("dbserver\r\n") << "「NET.inf」の2行目";
        QTest::newRow("empty PASS.inf") << "PASS.inf" << QByteArray() << "「PASS.inf」の1行目";
    }

    void unreachableSuiteIsReported()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        Installation installation;
        installation.writeSetting(file, content);
        QString shown;
        modal::Script script;
        script.answer([&shown](QDialog& d) {
            shown = static_cast<QMessageBox&>(d).text();
            static_cast<QMessageBox&>(d).button(QMessageBox::Ok)->click();
        });
        Program p(installation);
        QVERIFY(p.start());
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QVERIFY2(shown.contains(says), qPrintable(shown));
        // The screen stays open, without its defaults.
        QVERIFY(p.form.isVisible());
        QVERIFY(p.form.BAN_08->text().isEmpty());
        QVERIFY(!p.dm.FDConnection1.isConnected());
    }

    // Starts that cannot go on end, and say why: an option the program does
    // not know, a start from a script without its database, and a clerk's
    // start whose error box is up when a signal comes. Real processes.
    void failedStartsAndSignalsEndTheProgram()
    {
        Installation installation;
        installation.writeSetting(QStringLiteral("NET.txt"), "/nonexistent/VORNALIX.FDB\r\n");
        QTemporaryDir runtime; // a single-copy lock of this test's own
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("XDG_STATE_HOME"), runtime.filePath(QStringLiteral("state")));
        const auto start = [&](QProcess& p, const QStringList& arguments) {
            p.setProcessEnvironment(environment);
            p.setWorkingDirectory(installation.programFolder());
            p.start(QStringLiteral(VELDRUN_EXECUTABLE), arguments);
            QVERIFY(p.waitForStarted());
        };

        QProcess unknown;
        start(unknown, {QStringLiteral("--bogus")});
        QVERIFY(unknown.waitForFinished(10000));
        QCOMPARE(unknown.exitCode(), 2);
        QVERIFY(unknown.readAllStandardError().contains("usage: VELDRUN"));

        QProcess scripted;
        start(scripted, {QStringLiteral("--quit-after-start")});
        QVERIFY(scripted.waitForFinished(60000));
        QCOMPARE(scripted.exitCode(), 1);
        QVERIFY(scripted.readAllStandardError().contains("VORNALIX.FDB"));
        QVERIFY(scripted.readAllStandardOutput().isEmpty()); // never "started"

        for (const int signal : {SIGTERM, SIGINT}) {
            QProcess clerk;
            start(clerk, {});
            // The error is logged as its box is shown.
            QByteArray said;
            QTRY_VERIFY_WITH_TIMEOUT((said += clerk.readAllStandardError()).contains("VORNALIX.FDB"), 60000);
            QVERIFY(QFile::exists(installation.localFolder() + QStringLiteral("/VELDRUN.FDB")));
            QElapsedTimer clock;
            clock.start();
            ::kill(pid_t(clerk.processId()), signal);
            QVERIFY2(clerk.waitForFinished(5000), "the program outlived the signal");
            QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("it took %1 ms").arg(clock.elapsed())));
            QCOMPARE(clerk.exitCode(), 128 + signal);
            // Ended the way closing ends it: the scratch database is gone.
            QVERIFY(!QFile::exists(installation.localFolder() + QStringLiteral("/VELDRUN.FDB")));
        }

        // The copies that were ended hold nothing: the next start is its own.
        QProcess again;
        start(again, {QStringLiteral("--quit-after-start")});
        QVERIFY(again.waitForFinished(60000));
        QCOMPARE(again.exitCode(), 1);
        QVERIFY(!again.readAllStandardError().contains("already running"));
    }

    void secondCopyBringsTheFirstForward()
    {
        // This process holds the program's name as the running copy would.
        SingleInstance running(SingleInstance::nameFor(QStringLiteral("VELDRUN")));
        QVERIFY2(running.acquire(), "another copy of the program is running for this user");
        QSignalSpy asked(&running, &SingleInstance::activationRequested);

        Installation installation;
        modal::Script script;
        Program p(installation);
        QVERIFY(p.start());
        connect(&running, &SingleInstance::activationRequested, &p.form, [&p] { BringToFront(&p.form); });
        p.form.showMinimized();
        QTRY_VERIFY(p.form.isMinimized());

        QProcess second;
        second.setWorkingDirectory(installation.programFolder());
        second.start(QStringLiteral(VELDRUN_EXECUTABLE), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
        QTRY_COMPARE(asked.size(), 1);
        QTRY_VERIFY(!p.form.isMinimized());
        // The second copy opened nothing: no local database of its own.
        QVERIFY(!QFile::exists(installation.localFolder() + QStringLiteral("/VELDRUN.FDB")));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
