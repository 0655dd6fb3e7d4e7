#include "dialogs/Modal.h"
#include "tests/supplier/Program.h"
#include "util/DateFields.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using testing::Installation;
using testing::Program;

namespace {

const QColor kHighlight(255, 210, 233);

QColor base(const QWidget* w) { return w->palette().color(QPalette::Base); }

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
    QString ruler = QStringLiteral("1234567890").repeated(11);
    while (!ruler.isEmpty() && fm.horizontalAdvance(ruler) > box->width())
        ruler.chop(1);
    return int(ruler.size());
}

} // namespace

// The main screen worked from the keyboard, as a clerk works it.
class TestScreen : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        m_installation = std::make_unique<Installation>();
        m_program = std::make_unique<Program>(*m_installation);
        m_unexpected = std::make_unique<modal::Script>(); // reports a dialog nobody expected
        QVERIFY(m_program->start());
    }

    void cleanup()
    {
        const QString unexpected = m_unexpected->verify();
        m_unexpected.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        m_program.reset();
        m_installation.reset();
    }

    void enterOrder()
    {
        Program& p = *m_program;
        const QStringList stops =
            QStringLiteral("ED_01 ED_02_1 ED_02_2 E_RYAKU ED_03 ED_04 ED_05 ED_06 ED_07 ED_08 ED_09 ED_10 ED_12 "
                           "ED_13 E_INBOICE E_MAILE E_CD_1 E_CD_2 E_CD_3 E_GINKOU_3 E_GINKOU_4 BAN_18 BAN_16 "
                           "BAN_17 BAN_08 BAN_09 BAN_10 BAN_12 BAN_14 BAN_21 BAN_11 BAN_13 BAN_20 ED_11 BAN_15 "
                           "CheckBox1")
                .split(u' ');
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01")); // the clerk starts in the search key
        QStringList forward, backward;
        for (int i = 0; i < stops.size(); ++i) {
            forward << p.focusedName();
            p.type(Qt::Key_Down);
        }
        QCOMPARE(forward, stops);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01")); // wrapped around
        for (int i = 0; i < stops.size(); ++i) {
            p.type(Qt::Key_Up);
            backward.prepend(p.focusedName());
        }
        QCOMPARE(backward, stops);
        p.type(Qt::Key_Up);
        QCOMPARE(p.focusedName(), QStringLiteral("CheckBox1"));
        p.type(Qt::Key_Return); // Enter in the last stop wraps as well
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01"));

        // With the discount field shown it is a stop after BAN_15.
        p.form.ED_14->show();
        p.form.BAN_15->setFocus();
        p.type(Qt::Key_Down);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_14"));
    }

    void keysInADropDownAndTheTwoBanks()
    {
        Program& p = *m_program;
        TForm1& f = p.form;
        QSignalSpy shiftDelete(f.SBS_04, &QToolButton::clicked);
        QSignalSpy plainF4(f.SB04, &QToolButton::clicked);

        // Arrows in a drop-down move on without changing its selection.
        f.C_BOX_10->addItems({QStringLiteral("外税"), QStringLiteral("内税")});
        f.C_BOX_10->setCurrentIndex(0);
        QTest::mouseClick(f.C_BOX_10->lineEdit(), Qt::LeftButton);
        p.type(Qt::Key_Down);
        QCOMPARE(p.focusedName(), QStringLiteral("BAN_12"));
        QTest::mouseClick(f.C_BOX_10->lineEdit(), Qt::LeftButton);
        p.type(Qt::Key_Up);
        QCOMPARE(p.focusedName(), QStringLiteral("BAN_10"));
        QCOMPARE(f.C_BOX_10->currentIndex(), 0);

        // Shift shows the second bank; releasing F4 with Shift still held
        // brings the normal bank back.
        QTest::keyPress(p.focused(), Qt::Key_Shift);
        QVERIFY(!f.ToolBar1->isHidden() && f.ToolBar3->isHidden());
        QTest::keyClick(p.focused(), Qt::Key_F4, Qt::ShiftModifier);
        QCOMPARE(shiftDelete.size(), 1);
        QCOMPARE(plainF4.size(), 0);
        QVERIFY(f.ToolBar1->isHidden() && !f.ToolBar3->isHidden());
        QTest::keyRelease(p.focused(), Qt::Key_Shift);

        // A drop-down must not swallow F4: it fires the bank and opens nothing.
        QTest::mouseClick(f.C_BOX_12->lineEdit(), Qt::LeftButton);
        QCOMPARE(p.focusedName(), QStringLiteral("C_BOX_12"));
        p.type(Qt::Key_F4, Qt::ShiftModifier);
        p.type(Qt::Key_F4);
        QCOMPARE(shiftDelete.size(), 2);
        QCOMPARE(plainF4.size(), 1); // a button without a command: nothing happens
        QVERIFY(!f.C_BOX_12->view()->isVisible());
    }

    void focusedBoxIsHighlighted()
    {
        Program& p = *m_program;
        TForm1& f = p.form;
        QCOMPARE(base(f.ED_01), kHighlight);
        p.type(Qt::Key_Return);
        QCOMPARE(base(f.ED_02_1), kHighlight);
        QCOMPARE(base(f.ED_01), QApplication::palette().color(QPalette::Base));
        const QColor grey = base(f.BAN_01);
        QTest::mouseClick(f.BAN_01, Qt::LeftButton);
        QCOMPARE(p.focusedName(), QStringLiteral("BAN_01"));
        QCOMPARE(base(f.BAN_01), grey); // read-only boxes never turn pink
        QVERIFY(grey != kHighlight);
    }

    void textIsCutToTheBoxWhenLeft()
    {
        Program& p = *m_program;
        TForm1& f = p.form;
        // Full-width characters count two columns: cut to the box, not far short of it.
        p.type(Qt::Key_Return); // into ED_02_1
        const QString name = QStringLiteral("株式会社山田建設工業").repeated(8);
        p.typeText(name);
        p.type(Qt::Key_Return);
        const QString kept = f.ED_02_1->text();
        QVERIFY(!kept.isEmpty() && name.startsWith(kept));
        const int capacity = capacityOf(f.ED_02_1);
        QVERIFY(columnsOf(kept) <= capacity);
        QVERIFY(columnsOf(kept) + 2 > capacity
                || QFontMetrics(f.ED_02_1->font()).horizontalAdvance(name.left(kept.size() + 1)) > f.ED_02_1->width());

        // Half-width characters count one.
        f.ED_09->setFocus();
        const QString ascii = QStringLiteral("1-2-3 Higashimachi Tottori ").repeated(6);
        f.ED_09->setText(ascii);
        p.type(Qt::Key_Return);
        QVERIFY(ascii.startsWith(f.ED_09->text()));
        QVERIFY(f.ED_09->text().size() <= capacityOf(f.ED_09));
        QVERIFY(f.ED_09->text().size() > capacityOf(f.ED_09) / 2);

        // A pasted remark loses its line breaks and tabs.
        f.ED_13->setFocus();
        f.ED_13->setText(QStringLiteral("月末\r\n締め\n翌月\t払い"));
        p.type(Qt::Key_Down);
        QCOMPARE(f.ED_13->text(), QStringLiteral("月末締め翌月払い"));
    }

    void dateParts_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Showa") << "NEN05" << "S63" << "1988";
        QTest::newRow("Heisei") << "NEN06" << "h30" << "2018";
        QTest::newRow("two-digit year") << "NEN05" << "5" << "2005";
        QTest::newRow("98") << "NEN05" << "98" << "2098";
        QTest::newRow("99 stays") << "NEN05" << "99" << "99";
        QTest::newRow("empty year") << "NEN05" << "" << "";
        QTest::newRow("month 13") << "TUKI05" << "13" << QString::number(CurrentMonth());
        QTest::newRow("month 0") << "TUKI06" << "0" << "";
        QTest::newRow("month 7") << "TUKI05" << "7" << "7";
        QTest::newRow("day 0") << "HI05" << "0" << "";
    }

    void dateParts()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Program& p = *m_program;
        auto* date = p.form.findChild<QLineEdit*>(box);
        date->setText(typed);
        QTest::mouseClick(date, Qt::LeftButton); // read-only: reached by the mouse only
        p.type(Qt::Key_Down);
        QCOMPARE(date->text(), shown);
    }

    void clearingTheScreen()
    {
        Program& p = *m_program;
        TForm1& f = p.form;
        f.ED_02_1->setText(QStringLiteral("山田建設"));
        f.BAN_01->setText(QStringLiteral("105"));
        f.NEN05->setText(QStringLiteral("2026"));
        f.C_BOX_10->setEditText(QStringLiteral("外税"));
        auto* keep = new QLineEdit(f.Panel1);
        keep->setObjectName(QStringLiteral("ED_SYS_KEEP"));
        keep->setText(QStringLiteral("kept"));
        QDir::setCurrent(QDir::tempPath()); // as a file dialog may leave it
        ClearEditFields(&f);
        QVERIFY(f.ED_02_1->text().isEmpty() && f.BAN_01->text().isEmpty() && f.NEN05->text().isEmpty());
        QCOMPARE(f.C_BOX_10->currentText(), QStringLiteral("外税")); // combo boxes are not plain boxes
        QCOMPARE(keep->text(), QStringLiteral("kept"));
        QCOMPARE(QDir::currentPath(), m_installation->programFolder());
        ClearEditFields(nullptr); // nothing to do
    }

    void keepOnScreen()
    {
        TForm1& f = m_program->form;
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

private:
    std::unique_ptr<Installation> m_installation;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<modal::Script> m_unexpected;
};

QTEST_MAIN(TestScreen)
#include "tst_screen.moc"
