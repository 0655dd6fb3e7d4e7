// The main screen worked from the keyboard, as a clerk works it.

#include <QAbstractItemView>
#include <QDir>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>

#include <memory>

#include "tests/supplier/Program.h"
#include "util/DateFields.h"

using namespace testing;

namespace {

QColor base(const QWidget* w)
{
    return w->palette().color(QPalette::Base);
}

int columnsOf(const QString& text)
{
    int n = 0;
    for (char32_t c : text.toUcs4())
        n += (c <= 0x7F || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
    return n;
}

// How many ruler digits fit in the box: its capacity in columns.
int capacityOf(const QLineEdit* box)
{
    const QFontMetrics fm(box->font());
    QString ruler = u"1234567890"_qs.repeated(11);
    while (!ruler.isEmpty() && fm.horizontalAdvance(ruler) > box->width())
        ruler.chop(1);
    return int(ruler.size());
}

} // namespace

class TestScreen : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> m_session;

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        m_session = std::make_unique<Session>();
        QVERIFY(m_session->program.start());
    }

    void cleanup() { m_session.reset(); }

    void enterOrder()
    {
        Program& p = m_session->program;
        const QStringList stops =
            u"ED_01 ED_02_1 ED_02_2 E_RYAKU ED_03 ED_04 ED_05 ED_06 ED_07 ED_08 ED_09 ED_10 "
            u"ED_12 ED_13 E_INBOICE E_MAILE E_CD_1 E_CD_2 E_CD_3 E_GINKOU_3 E_GINKOU_4 BAN_18 "
            u"BAN_16 BAN_17 BAN_08 BAN_09 BAN_10 BAN_12 BAN_14 BAN_21 BAN_11 BAN_13 BAN_20 ED_11 "
            u"BAN_15 CheckBox1"_qs.split(u' ');
        QCOMPARE(p.focusedName(), u"ED_01"_qs); // the clerk starts in the search key
        QStringList forward, backward;
        for (int i = 0; i < stops.size(); ++i) {
            forward << p.focusedName();
            p.type(Qt::Key_Down);
        }
        QCOMPARE(forward, stops);
        QCOMPARE(p.focusedName(), u"ED_01"_qs); // wrapped around
        for (int i = 0; i < stops.size(); ++i) {
            p.type(Qt::Key_Up);
            backward.prepend(p.focusedName());
        }
        QCOMPARE(backward, stops);
        p.type(Qt::Key_Up);
        p.type(Qt::Key_Return); // Enter in the last stop wraps as well
        QCOMPARE(p.focusedName(), u"ED_01"_qs);

        // With the discount field shown it is a stop after BAN_15.
        p.form.ED_14->show();
        p.form.BAN_15->setFocus();
        p.type(Qt::Key_Down);
        QCOMPARE(p.focusedName(), u"ED_14"_qs);
    }

    void keysInADropDownAndTheTwoBanks()
    {
        Program& p = m_session->program;
        TForm1& f = p.form;
        QSignalSpy shiftDelete(f.SBS_04, &QToolButton::clicked);
        QSignalSpy plainF4(f.SB04, &QToolButton::clicked);

        // Arrows in a drop-down move on without changing its selection.
        f.C_BOX_10->addItems({u"外税"_qs, u"内税"_qs});
        f.C_BOX_10->setCurrentIndex(0);
        for (const auto& [key, next] :
             {std::pair(Qt::Key_Down, u"BAN_12"_qs), std::pair(Qt::Key_Up, u"BAN_10"_qs)}) {
            QTest::mouseClick(f.C_BOX_10->lineEdit(), Qt::LeftButton);
            p.type(key);
            QCOMPARE(p.focusedName(), next);
        }
        QCOMPARE(f.C_BOX_10->currentIndex(), 0);

        // Shift shows the second bank; releasing F4 with Shift still held
        // brings the normal bank back.
        QTest::keyPress(p.focused(), Qt::Key_Shift);
        QVERIFY(!f.ToolBar1->isHidden() && f.ToolBar3->isHidden());
        QTest::keyClick(p.focused(), Qt::Key_F4, Qt::ShiftModifier);
        QCOMPARE(std::pair(shiftDelete.size(), plainF4.size()), std::pair(qsizetype(1), qsizetype(0)));
        QVERIFY(f.ToolBar1->isHidden() && !f.ToolBar3->isHidden());
        QTest::keyRelease(p.focused(), Qt::Key_Shift);

        // A drop-down must not swallow F4: it fires the bank and opens nothing.
        QTest::mouseClick(f.C_BOX_12->lineEdit(), Qt::LeftButton);
        QCOMPARE(p.focusedName(), u"C_BOX_12"_qs);
        p.type(Qt::Key_F4, Qt::ShiftModifier);
        p.type(Qt::Key_F4); // a button without a command: nothing happens
        QCOMPARE(std::pair(shiftDelete.size(), plainF4.size()), std::pair(qsizetype(2), qsizetype(1)));
        QVERIFY(!f.C_BOX_12->view()->isVisible());
    }

    // The box with the focus turns pink; read-only boxes never do.
    void focusedBoxIsHighlighted()
    {
        Program& p = m_session->program;
        TForm1& f = p.form;
        const QColor pink(255, 210, 233);
        QCOMPARE(base(f.ED_01), pink);
        p.type(Qt::Key_Return);
        QCOMPARE(base(f.ED_02_1), pink);
        QCOMPARE(base(f.ED_01), QApplication::palette().color(QPalette::Base));
        const QColor grey = base(f.BAN_01);
        QTest::mouseClick(f.BAN_01, Qt::LeftButton);
        QCOMPARE(p.focusedName(), u"BAN_01"_qs);
        QCOMPARE(base(f.BAN_01), grey);
        QVERIFY(grey != pink);
    }

    void textIsCutToTheBoxWhenLeft()
    {
        Program& p = m_session->program;
        TForm1& f = p.form;
        // Full-width characters count two columns: cut to the box, not far short of it.
        p.type(Qt::Key_Return); // into ED_02_1
        const QString name = u"株式会社山田建設工業"_qs.repeated(8);
        p.typeText(name);
        p.type(Qt::Key_Return);
        const QString kept = f.ED_02_1->text();
        QVERIFY(!kept.isEmpty() && name.startsWith(kept));
        const int capacity = capacityOf(f.ED_02_1);
        QVERIFY(columnsOf(kept) <= capacity);
        QVERIFY(columnsOf(kept) + 2 > capacity ||
                QFontMetrics(f.ED_02_1->font()).horizontalAdvance(name.left(kept.size() + 1)) >
                    f.ED_02_1->width());

        // Half-width characters count one.
        f.ED_09->setFocus();
        const QString ascii = u"1-2-3 Higashimachi Tottori "_qs.repeated(6);
        f.ED_09->setText(ascii);
        p.type(Qt::Key_Return);
        QVERIFY(ascii.startsWith(f.ED_09->text()));
        QVERIFY(f.ED_09->text().size() <= capacityOf(f.ED_09) &&
                f.ED_09->text().size() > capacityOf(f.ED_09) / 2);

        // A pasted remark loses its line breaks and tabs.
        f.ED_13->setFocus();
        f.ED_13->setText(u"月末\r\n締め\n翌月\t払い"_qs);
        p.type(Qt::Key_Down);
        QCOMPARE(f.ED_13->text(), u"月末締め翌月払い"_qs);
    }

    void dateParts_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // "this month": the month it is
        QTest::newRow("Showa") << u"NEN05"_qs << u"S63"_qs << u"1988"_qs;
        QTest::newRow("Heisei") << u"NEN06"_qs << u"h30"_qs << u"2018"_qs;
        QTest::newRow("two-digit year") << u"NEN05"_qs << u"5"_qs << u"2005"_qs;
        QTest::newRow("98") << u"NEN05"_qs << u"98"_qs << u"2098"_qs;
        QTest::newRow("99 stays") << u"NEN05"_qs << u"99"_qs << u"99"_qs;
        QTest::newRow("empty year") << u"NEN05"_qs << QString() << QString();
        QTest::newRow("month 13") << u"TUKI05"_qs << u"13"_qs << u"this month"_qs;
        QTest::newRow("month 0") << u"TUKI06"_qs << u"0"_qs << QString();
        QTest::newRow("month 7") << u"TUKI05"_qs << u"7"_qs << u"7"_qs;
        QTest::newRow("day 0") << u"HI05"_qs << u"0"_qs << QString();
    }

    // The date boxes are read-only: reached by the mouse, checked on leaving.
    void dateParts()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Program& p = m_session->program;
        auto* date = p.form.findChild<QLineEdit*>(box);
        date->setText(typed);
        const QString before = QString::number(CurrentMonth());
        QTest::mouseClick(date, Qt::LeftButton);
        p.type(Qt::Key_Down);
        if (shown == u"this month"_qs) // a month ending meanwhile gives the next
            QVERIFY2(date->text() == before || date->text() == QString::number(CurrentMonth()),
                     qPrintable(date->text()));
        else
            QCOMPARE(date->text(), shown);
    }

    void clearingTheScreen()
    {
        TForm1& f = m_session->program.form;
        f.ED_02_1->setText(u"山田建設"_qs);
        f.BAN_01->setText(u"105"_qs);
        f.NEN05->setText(u"2026"_qs);
        f.C_BOX_10->setEditText(u"外税"_qs);
        auto* keep = new QLineEdit(f.Panel1);
        keep->setObjectName(u"ED_SYS_KEEP"_qs);
        keep->setText(u"kept"_qs);
        QDir::setCurrent(QDir::tempPath()); // as a file dialog may leave it
        ClearEditFields(&f);
        QVERIFY(f.ED_02_1->text().isEmpty() && f.BAN_01->text().isEmpty() && f.NEN05->text().isEmpty());
        QCOMPARE(f.C_BOX_10->currentText(), u"外税"_qs); // combo boxes are not plain boxes
        QCOMPARE(keep->text(), u"kept"_qs);
        QCOMPARE(QDir::currentPath(), m_session->installation.programFolder());
        ClearEditFields(nullptr); // nothing to do
    }

    void keepOnScreen()
    {
        TForm1& f = m_session->program.form;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        f.move(screen.width() / 2 + 50, 10);
        f.KeepOnScreen();
        QCOMPARE(f.frameGeometry().right() + 1, screen.width());
        f.move(10, screen.height() - 100);
        f.KeepOnScreen();
        QCOMPARE(f.frameGeometry().bottom() + 1, screen.height());
        QCOMPARE(f.frameGeometry().left(), 10); // a window in the left half keeps its place

        // The first showing fits the work area.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(f.height() <= area.height() && f.width() <= area.width());
    }
};

QTEST_MAIN(TestScreen)
#include "tst_screen.moc"
