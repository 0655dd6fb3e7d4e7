#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/Modal.h"
#include "search/trad_sel.h"
#include "tests/supplier/Program.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using testing::Installation;
using testing::Program;

namespace {

// Stands in for the desktop: records what the program asks it to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

// Delete, search, repair and the other commands of the two button rows.
class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        m_installation = std::make_unique<Installation>();
        m_conn.disconnect(); // the last test's database is gone
        m_conn.params() = m_installation->params();
        for (const char* row : {"105, '山田建設', '0857-22-1234', 1, null", "230, '鳥取工務店', '0857-33-5678', 0, null",
                                "231, '削除済み商店', null, 1, '1/1/2025'", "232, '一般商店', null, null, null"})
            run(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, IB_KBN, E_DATE04) values (%1)")
                    .arg(QString::fromUtf8(row)));
        m_program = std::make_unique<Program>(*m_installation);
        m_unexpected = std::make_unique<modal::Script>();
        QVERIFY(m_program->start());
    }

    void cleanup()
    {
        const QString unexpected = m_unexpected->verify();
        m_unexpected.reset();
        m_program.reset();
        m_installation.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
    }

    void deleteAsksStampsOrReports()
    {
        // The suite refuses to delete 105: tried, then reported, never shown as done.
        run(QStringLiteral("CREATE EXCEPTION E_KEEP 'kept by the suite'"));
        run(QStringLiteral("CREATE TRIGGER T_KEEP FOR MAS_SIIRE BEFORE UPDATE AS BEGIN "
                           "IF (NEW.E_DATE04 IS NOT NULL AND NEW.T_CD = 105) THEN EXCEPTION E_KEEP; END"));
        TForm1& f = m_program->form;
        load(105);
        const QString error = shiftF4({Qt::Key_Y, Qt::Key_Return}).value(1);
        QVERIFY2(error.startsWith(QStringLiteral("エラー: ")) && error.contains(QStringLiteral("kept by the suite")),
                 qPrintable(error));
        QVERIFY(column(105, "E_DATE04").isNull());
        QCOMPARE(f.ED_02_1->text(), QStringLiteral("山田建設")); // the screen keeps it

        // No is the default.
        load(230);
        QCOMPARE(shiftF4({Qt::Key_Return}), QStringList{QStringLiteral("削除しますか？")});
        QVERIFY(column(230, "E_DATE04").isNull());
        QCOMPARE(f.ED_02_1->text(), QStringLiteral("鳥取工務店"));

        QCOMPARE(shiftF4({Qt::Key_Y, Qt::Key_Return}).value(1), QStringLiteral("削除しました。"));
        QCOMPARE(column(230, "E_DATE04").toDate(), QDate::currentDate());
        QCOMPARE(column(230, "PC_NAME").toString(), ComputerName);
        QVERIFY(f.BAN_01->text().isEmpty() && f.ED_02_1->text().isEmpty());
        QVERIFY(!f.ToolBar3->isHidden());
    }

    // A supplier another workstation is writing is not waited for without
    // end: the clerk hears within seconds, and nothing changed.
    void deleteOfASupplierHeldElsewhereIsReportedSoon()
    {
        TForm1& f = m_program->form;
        load(230);
        db::Connection other;
        other.params() = m_installation->params();
        other.startTransaction();
        db::Query hold(other);
        hold.setSql(QStringLiteral("update MAS_SIIRE set T_NAME02 = 'held' where T_CD = 230"));
        hold.execute();

        QElapsedTimer clock;
        clock.start();
        const QString error = shiftF4({Qt::Key_Y, Qt::Key_Return}).value(1);
        const qint64 waited = clock.elapsed();
        QVERIFY2(error.startsWith(QStringLiteral("エラー: ")) && error.size() > 5, qPrintable(error));
        QVERIFY2(waited < 15000, qPrintable(QStringLiteral("the screen was frozen for %1 ms").arg(waited)));
        other.rollback();
        QVERIFY(column(230, "E_DATE04").isNull());
        QCOMPARE(f.ED_02_1->text(), QStringLiteral("鳥取工務店"));

        // Once the other workstation is done, the delete goes through.
        QCOMPARE(shiftF4({Qt::Key_Y, Qt::Key_Return}).value(1), QStringLiteral("削除しました。"));
        QVERIFY(!column(230, "E_DATE04").isNull());
    }

    void repairAndOtherCommands()
    {
        TForm1& f = m_program->form;
        // Shift+F12 makes every supplier not registered for invoices tax-exempt, deleted ones too.
        m_program->type(Qt::Key_F12, Qt::ShiftModifier);
        QCOMPARE(column(105, "KU_TAX").toInt(), 3);
        QCOMPARE(column(231, "KU_TAX").toInt(), 3);
        QVERIFY(column(230, "KU_TAX").isNull() && column(232, "KU_TAX").isNull());

        // F6 of the second row returns to the normal row.
        f.ToolBar1->show();
        f.ToolBar3->hide();
        f.SBS_06->click();
        QVERIFY(f.ToolBar1->isHidden() && !f.ToolBar3->isHidden());

        // F12 ends through the closing question; No keeps the program running.
        modal::Script script;
        script.answer([](QDialog&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_N); });
        m_program->type(Qt::Key_F12);
        QVERIFY(script.verify().isEmpty());
        QVERIFY(f.isVisible());
    }

    void searchLoadsTheChosenSupplier()
    {
        TForm1& f = m_program->form;
        f.ED_13->setText(QStringLiteral("残っている備考"));
        // Cancelled: the screen as it was, the clerk back in the search key.
        modal::Script script;
        script.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        m_program->type(Qt::Key_F5);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QCOMPARE(f.ED_13->text(), QStringLiteral("残っている備考"));
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_01"));

        // A search by code, confirmed with Enter: every field of the supplier.
        script.answer([](QDialog&) {
            trad_sen2->Edit1->setText(QStringLiteral("105"));
            QTest::keyClick(trad_sen2->Edit1, Qt::Key_Return);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        m_program->type(Qt::Key_F5);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QCOMPARE(f.BAN_01->text() + u':' + f.ED_02_1->text() + u':' + f.ED_06->text(),
                 QStringLiteral("105:山田建設:0857-22-1234"));
        QVERIFY(f.CheckBox1->isChecked());
        QVERIFY(f.ED_13->text().isEmpty());
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_01"));
    }

    void listTableAndManual()
    {
        // F9 opens the list table on every live supplier; F11 previews the printed list.
        int listed = -1;
        modal::Script script;
        script.answer([&listed](QDialog& d) {
            listed = DM2->FDQ_1.recordCount();
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        script.answer([](QDialog& d) {
            QCOMPARE(d.objectName(), QStringLiteral("SupplierListPreview"));
            d.reject();
        });
        m_program->type(Qt::Key_F9);
        QCOMPARE(listed, 3);
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_01"));
        m_program->type(Qt::Key_F11);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));

        // F1 opens the manual named after the program, copied first from the
        // suite's program folder when that is set.
        UrlCatcher opened;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
        m_program->type(Qt::Key_F1);
        const QString manual = ProgramBaseName + QStringLiteral(".PDF");
        QCOMPARE(opened.urls.value(0).toLocalFile(), QDir::current().absoluteFilePath(manual));
        QTemporaryDir programs;
        QFile source(programs.filePath(manual));
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("%PDF-1.4 manual");
        source.close();
        ExePath = programs.path();
        m_program->type(Qt::Key_F1);
        ExePath.clear();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(opened.urls.size(), 2);
        QFile copied(manual);
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), QByteArray("%PDF-1.4 manual"));
    }

private:
    // Shift+F4 (delete), answering the messages it brings up; returns what they said.
    QStringList shiftF4(std::initializer_list<Qt::Key> answers)
    {
        QStringList said;
        modal::Script script;
        for (Qt::Key answer : answers)
            script.answer([answer, &said](QDialog& d) {
                auto* box = qobject_cast<QMessageBox*>(&d); // a delete that failed
                said << (box ? box->text() : static_cast<TMASSAGE_FORM&>(d).LABEL->text());
                QTest::keyClick(QApplication::focusWidget(), answer);
            });
        m_program->type(Qt::Key_F4, Qt::ShiftModifier);
        [&] { QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify())); }();
        return said;
    }

    void load(int code)
    {
        m_program->form.BAN_01->setText(QString::number(code));
        m_program->form.Button1Click();
    }

    void run(const QString& sql)
    {
        db::Query q(m_conn);
        q.setSql(sql);
        q.execute();
    }

    QVariant column(int code, const char* name)
    {
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select %1 from MAS_SIIRE where T_CD = %2").arg(QLatin1String(name)).arg(code));
        q.open();
        return q.field(0).value();
    }

    std::unique_ptr<Installation> m_installation;
    db::Connection m_conn;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<modal::Script> m_unexpected;
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
