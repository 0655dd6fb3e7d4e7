// The main screen worked from the keyboard, as a clerk works it.

#include <QAbstractItemView>
#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QToolButton>

#include <memory>

#include "tests/supplier/Program.h"

using namespace testing;

namespace {} // namespace

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

    // Leaving a box fits its text to the box and corrects a date part.
    void textIsFittedWhenLeft()
    {
        Program& p = m_session->program;
        TForm1& f = p.form;
        p.type(Qt::Key_Return); // into ED_02_1
        const QString name = u"株式会社山田建設工業"_qs.repeated(8);
        p.typeText(name);
        p.type(Qt::Key_Return);
        const QString kept = f.ED_02_1->text();
        QVERIFY(kept.size() > 10 && name.startsWith(kept));
        QVERIFY(QFontMetrics(f.ED_02_1->font()).horizontalAdvance(kept) <= f.ED_02_1->width());

        f.NEN05->setText(u"S63"_qs); // the date boxes are read-only: reached by the mouse
        QTest::mouseClick(f.NEN05, Qt::LeftButton);
        p.type(Qt::Key_Down);
        QCOMPARE(f.NEN05->text(), u"1988"_qs);
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
};

QTEST_MAIN(TestScreen)
#include "tst_screen.moc"
