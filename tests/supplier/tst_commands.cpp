// Delete, search, repair and the other commands of the two button rows.

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QUrl>

#include <memory>

#include "search/trad_sel.h"
#include "tests/supplier/Program.h"

using namespace testing;

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

class TestCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> m_session;

    Program& program() { return m_session->program; }
    QVariant column(int code, const char* name)
    {
        return m_session->suite.supplier(code, QLatin1String(name));
    }

    // Shift+F4 (delete), answering the question with key and the notice or error box with Enter.
    QStringList deleteAnswering(Qt::Key key)
    {
        const QList<Responder> answers{press(key), press(Qt::Key_Return)};
        return program().press(Qt::Key_F4, key == Qt::Key_Y ? answers : answers.mid(0, 1), Qt::ShiftModifier);
    }

    void load(int code)
    {
        program().form.BAN_01->setText(QString::number(code));
        program().form.Button1Click();
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        m_session = std::make_unique<Session>();
        for (const char* row :
             {"105, '山田建設', '0857-22-1234', 1, null", "230, '鳥取工務店', '0857-33-5678', 0, null",
              "231, '削除済み商店', null, 1, '1/1/2025'", "232, '一般商店', null, null, null"})
            m_session->suite.run(
                u"insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, IB_KBN, E_DATE04) values (%1)"_qs.arg(
                    QString::fromUtf8(row)));
        QVERIFY(program().start());
    }

    void cleanup() { m_session.reset(); }

    void deleteAsksStampsOrReports()
    {
        // The suite refuses to delete 105: tried, then reported, never shown as done.
        m_session->suite.run(u"CREATE EXCEPTION E_KEEP 'kept by the suite'"_qs);
        m_session->suite.run(
            u"CREATE TRIGGER T_KEEP FOR MAS_SIIRE BEFORE UPDATE AS BEGIN "
            u"IF (NEW.E_DATE04 IS NOT NULL AND NEW.T_CD = 105) THEN EXCEPTION E_KEEP; END"_qs);
        TForm1& f = program().form;
        load(105);
        const QString error = deleteAnswering(Qt::Key_Y).value(1);
        QVERIFY2(error.startsWith(u"エラー: "_qs) && error.contains(u"kept by the suite"_qs),
                 qPrintable(error));
        QVERIFY(column(105, "E_DATE04").isNull());
        QCOMPARE(f.ED_02_1->text(), u"山田建設"_qs); // the screen keeps it

        load(230); // No is the default
        QCOMPARE(deleteAnswering(Qt::Key_Return), QStringList{u"削除しますか？"_qs});
        QVERIFY(column(230, "E_DATE04").isNull());
        QCOMPARE(f.ED_02_1->text(), u"鳥取工務店"_qs);

        const QDate day = QDate::currentDate();
        QCOMPARE(deleteAnswering(Qt::Key_Y).value(1), u"削除しました。"_qs);
        QVERIFY(isToday(column(230, "E_DATE04").toDate(), day));
        QCOMPARE(column(230, "PC_NAME").toString(), ComputerName);
        QVERIFY(f.BAN_01->text().isEmpty() && f.ED_02_1->text().isEmpty());
        QVERIFY(!f.ToolBar3->isHidden());
    }

    // A supplier another workstation is writing is not waited for without
    // end: the clerk hears within seconds, and nothing changed.
    void deleteOfASupplierHeldElsewhereIsReportedSoon()
    {
        load(230);
        db::Connection other;
        other.params() = m_session->installation.params();
        other.startTransaction();
        db::Query hold(other);
        hold.setSql(u"update MAS_SIIRE set T_NAME02 = 'held' where T_CD = 230"_qs);
        hold.execute();

        QElapsedTimer clock;
        clock.start();
        const QString error = deleteAnswering(Qt::Key_Y).value(1);
        const qint64 waited = clock.elapsed();
        QVERIFY2(error.startsWith(u"エラー: "_qs) && error.size() > 5, qPrintable(error));
        QVERIFY2(waited < 15000, qPrintable(u"the screen was frozen for %1 ms"_qs.arg(waited)));
        other.rollback();
        QVERIFY(column(230, "E_DATE04").isNull());
        QCOMPARE(program().form.ED_02_1->text(), u"鳥取工務店"_qs);

        // Once the other workstation is done, the delete goes through.
        QCOMPARE(deleteAnswering(Qt::Key_Y).value(1), u"削除しました。"_qs);
        QVERIFY(!column(230, "E_DATE04").isNull());
    }

    void repairMakesUnregisteredSuppliersTaxExempt()
    {
        // Shift+F12 makes every supplier not registered for invoices tax-exempt, deleted ones too.
        program().type(Qt::Key_F12, Qt::ShiftModifier);
        QCOMPARE(column(105, "KU_TAX").toInt() + column(231, "KU_TAX").toInt(), 6);
        QVERIFY(column(230, "KU_TAX").isNull() && column(232, "KU_TAX").isNull());
    }

    void searchLoadsTheChosenSupplier()
    {
        TForm1& f = program().form;
        f.ED_13->setText(u"残っている備考"_qs);
        // Cancelled: the screen as it was, the clerk back in the search key.
        program().press(Qt::Key_F5, {press(Qt::Key_Escape)});
        QCOMPARE(f.ED_13->text(), u"残っている備考"_qs);
        QCOMPARE(program().focusedName(), u"ED_01"_qs);

        // A search by code, confirmed with Enter: every field of the supplier.
        program().press(Qt::Key_F5, {[](QDialog&) {
                            trad_sen2->Edit1->setText(u"105"_qs);
                            QTest::keyClick(trad_sen2->Edit1, Qt::Key_Return);
                            QTest::keyClick(focused(), Qt::Key_Return);
                        }});
        QCOMPARE(f.BAN_01->text() + u':' + f.ED_02_1->text() + u':' + f.ED_06->text(),
                 u"105:山田建設:0857-22-1234"_qs);
        QVERIFY(f.CheckBox1->isChecked());
        QVERIFY(f.ED_13->text().isEmpty());
        QCOMPARE(program().focusedName(), u"ED_01"_qs);
    }

    void listTableAndManual()
    {
        // F9 opens the list table on every live supplier.
        int listed = -1;
        program().press(Qt::Key_F9, {[&listed](QDialog& d) {
                            listed = DM2->FDQ_1.recordCount();
                            QTest::keyClick(&d, Qt::Key_Escape);
                        }});
        QCOMPARE(listed, 3);
        QCOMPARE(program().focusedName(), u"ED_01"_qs);
        // F1 opens the manual named after the program.
        UrlCatcher opened;
        QDesktopServices::setUrlHandler(u"file"_qs, &opened, "open");
        program().type(Qt::Key_F1);
        QDesktopServices::unsetUrlHandler(u"file"_qs);
        QCOMPARE(opened.urls.value(0).toLocalFile(),
                 QDir::current().absoluteFilePath(ProgramBaseName + u".PDF"_qs));
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
