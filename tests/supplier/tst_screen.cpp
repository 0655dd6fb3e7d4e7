#include "dialogs/Modal.h"
#include "tests/supplier/Program.h"
#include "util/DateFields.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using testing::Installation;
using testing::Program;

namespace {

const QColor kHighlight(255, 210, 233);

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
        // A dialog nobody expected is reported instead of waiting for an answer.
        m_unexpected = std::make_unique<modal::Script>();
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

    void fieldsAsDesigned()
    {
        TForm1& f = m_program->form;
        // Limits of the boxes that have them.
        const QList<QPair<QLineEdit*, int>> limits = {{f.E_CD_1, 8}, {f.E_CD_2, 8}, {f.E_CD_3, 1}, {f.NEN05, 4},
                                                      {f.TUKI05, 2}, {f.HI06, 2},   {f.BAN_10, 1}, {f.BAN_12, 3},
                                                      {f.BAN_13, 4}, {f.BAN_14, 1}, {f.BAN_20, 1}, {f.BAN_21, 1}};
        for (const auto& [box, max] : limits)
            QVERIFY2(box->maxLength() == max, qPrintable(box->objectName()));
        for (QLineEdit* box : {f.BAN_01, f.NEN05, f.TUKI05, f.HI05, f.NEN06, f.TUKI06, f.HI06}) {
            QVERIFY(box->isReadOnly());
            QCOMPARE(box->focusPolicy(), Qt::ClickFocus);
        }
        QCOMPARE(f.C_BOX_10->lineEdit()->maxLength(), 10);
        QVERIFY(!f.ED_06->testAttribute(Qt::WA_InputMethodEnabled)); // telephone: input method off
        QVERIFY(f.ED_02_1->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(f.BAN_16->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(f.BAN_08->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(f.ComboBox1->currentText(), QStringLiteral("法人・団体"));
        QVERIFY(f.E_CD_1->toolTip().contains(QStringLiteral("半角カタカナ")));
        QVERIFY(f.ED_14->isHidden() && f.Label36->isHidden() && f.Label37->isHidden());

        // Captions with the ideographic space between their characters.
        QCOMPARE(f.SB03->text(), QStringLiteral("登\u3000録"));
        QCOMPARE(f.SB12->text(), QStringLiteral("終\u3000了"));
        QCOMPARE(f.SBS_04->text(), QStringLiteral("削\u3000除"));
        QCOMPARE(f.SBS_09->text(), QStringLiteral("TXT取込"));
        QVERIFY(f.SB02->text().isEmpty() && f.SBS_01->text().isEmpty());
        QCOMPARE(f.keyLabels[11]->text(), QStringLiteral("F12"));
        QVERIFY(f.ToolBar1->isHidden());
        QVERIFY(f.ProgressBar1->isHidden());

        // Twelve equal buttons; the last one takes the rest of the bar.
        const int each = int(f.width() / 12.2);
        QCOMPARE(f.SB01->width(), each);
        QCOMPARE(f.SB12->x() + f.SB12->width(), f.ToolBar3->width());
        QCOMPARE(f.SBS_12->width(), f.SB12->width());
        QCOMPARE(f.Panel6->height(), int(f.SB01->height() * 1.1 + f.ToolBar2->height() * 1.1));

        // The first showing fits the screen: never larger than the work area.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(f.height() <= area.height());
        QVERIFY(f.width() <= area.width());
        QCOMPARE(f.windowTitle(), QStringLiteral("仕入先マスター登録"));
    }

    void enterOrder()
    {
        Program& p = *m_program;
        const QStringList stops = {
            QStringLiteral("ED_01"),      QStringLiteral("ED_02_1"),    QStringLiteral("ED_02_2"),
            QStringLiteral("E_RYAKU"),    QStringLiteral("ED_03"),      QStringLiteral("ED_04"),
            QStringLiteral("ED_05"),      QStringLiteral("ED_06"),      QStringLiteral("ED_07"),
            QStringLiteral("ED_08"),      QStringLiteral("ED_09"),      QStringLiteral("ED_10"),
            QStringLiteral("ED_12"),      QStringLiteral("ED_13"),      QStringLiteral("E_INBOICE"),
            QStringLiteral("E_MAILE"),    QStringLiteral("E_CD_1"),     QStringLiteral("E_CD_2"),
            QStringLiteral("E_CD_3"),     QStringLiteral("E_GINKOU_3"), QStringLiteral("E_GINKOU_4"),
            QStringLiteral("BAN_18"),     QStringLiteral("BAN_16"),     QStringLiteral("BAN_17"),
            QStringLiteral("BAN_08"),     QStringLiteral("BAN_09"),     QStringLiteral("BAN_10"),
            QStringLiteral("BAN_12"),     QStringLiteral("BAN_14"),     QStringLiteral("BAN_21"),
            QStringLiteral("BAN_11"),     QStringLiteral("BAN_13"),     QStringLiteral("BAN_20"),
            QStringLiteral("ED_11"),      QStringLiteral("BAN_15"),     QStringLiteral("CheckBox1")};
        // The clerk starts in the search key.
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01"));

        QStringList forward;
        for (int i = 0; i < stops.size(); ++i) {
            forward << p.focusedName();
            p.type(Qt::Key_Down);
        }
        QCOMPARE(forward, stops);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01")); // wrapped around

        QStringList backward;
        for (int i = 0; i < stops.size(); ++i) {
            p.type(Qt::Key_Up);
            backward.prepend(p.focusedName());
        }
        QCOMPARE(backward, stops);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01"));
        p.type(Qt::Key_Up);
        QCOMPARE(p.focusedName(), QStringLiteral("CheckBox1"));
        p.type(Qt::Key_Return); // Enter in the last stop wraps as well
        QCOMPARE(p.focusedName(), QStringLiteral("ED_01"));

        // Enter moves on; a field that takes Enter itself does its own work first
        // (the postal code looks its address up) and then moves on.
        for (int i = 0; i < 9; ++i)
            p.type(Qt::Key_Return);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_08"));
        QVERIFY(!p.form.EnterMovesFocus);
        {
            modal::Script lookup;
            lookup.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
            p.type(Qt::Key_Return);
            QVERIFY2(lookup.verify().isEmpty(), qPrintable(lookup.verify()));
        }
        QCOMPARE(p.focusedName(), QStringLiteral("ED_09"));
        QVERIFY(p.form.EnterMovesFocus);
        p.type(Qt::Key_Return);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_10"));

        // With the discount field shown it is a stop after BAN_15.
        p.form.ED_14->show();
        p.form.BAN_15->setFocus();
        p.type(Qt::Key_Down);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_14"));
    }

    void arrowsInADropDownMoveOn()
    {
        Program& p = *m_program;
        p.form.C_BOX_10->addItems({QStringLiteral("外税"), QStringLiteral("内税")});
        p.form.C_BOX_10->setCurrentIndex(0);
        QTest::mouseClick(p.form.C_BOX_10->lineEdit(), Qt::LeftButton);
        QCOMPARE(p.focusedName(), QStringLiteral("C_BOX_10"));
        p.type(Qt::Key_Down);
        QCOMPARE(p.focusedName(), QStringLiteral("BAN_12"));
        QCOMPARE(p.form.C_BOX_10->currentIndex(), 0); // the selection did not change
        QTest::mouseClick(p.form.C_BOX_10->lineEdit(), Qt::LeftButton);
        p.type(Qt::Key_Up);
        QCOMPARE(p.focusedName(), QStringLiteral("BAN_10"));
        QCOMPARE(p.form.C_BOX_10->currentIndex(), 0);
    }

    void functionKeysFireTheVisibleBank()
    {
        Program& p = *m_program;
        TForm1& f = p.form;
        QSignalSpy shiftDelete(f.SBS_04, &QToolButton::clicked);
        QSignalSpy plainF4(f.SB04, &QToolButton::clicked);
        QSignalSpy search(f.SB05, &QToolButton::clicked);

        p.type(Qt::Key_F4);
        QCOMPARE(plainF4.size(), 1); // a button without a command: nothing happens
        QCOMPARE(shiftDelete.size(), 0);

        QTest::keyPress(p.focused(), Qt::Key_Shift);
        QVERIFY(!f.ToolBar1->isHidden());
        QVERIFY(f.ToolBar3->isHidden());
        QTest::keyClick(p.focused(), Qt::Key_F4, Qt::ShiftModifier);
        QCOMPARE(shiftDelete.size(), 1);
        // Releasing F4 while Shift is still held brings the normal bank back.
        QVERIFY(f.ToolBar1->isHidden());
        QVERIFY(!f.ToolBar3->isHidden());
        QTest::keyRelease(p.focused(), Qt::Key_Shift);

        // A drop-down must not swallow F4: it fires the bank and opens nothing.
        QTest::mouseClick(f.C_BOX_12->lineEdit(), Qt::LeftButton);
        QCOMPARE(p.focusedName(), QStringLiteral("C_BOX_12"));
        p.type(Qt::Key_F4, Qt::ShiftModifier);
        QCOMPARE(shiftDelete.size(), 2);
        QVERIFY(!f.C_BOX_12->view()->isVisible());
        p.type(Qt::Key_F4);
        QCOMPARE(plainF4.size(), 2);
        QVERIFY(!f.C_BOX_12->view()->isVisible());
        p.type(Qt::Key_F5);
        QCOMPARE(search.size(), 1);
    }

    void focusedBoxIsHighlighted()
    {
        Program& p = *m_program;
        TForm1& f = p.form;
        QCOMPARE(base(f.ED_01), kHighlight);
        p.type(Qt::Key_Return);
        QCOMPARE(p.focusedName(), QStringLiteral("ED_02_1"));
        QCOMPARE(base(f.ED_02_1), kHighlight);
        QCOMPARE(base(f.ED_01), QApplication::palette().color(QPalette::Base));
        const QColor grey = base(f.BAN_01);
        QTest::mouseClick(f.BAN_01, Qt::LeftButton);
        QCOMPARE(p.focusedName(), QStringLiteral("BAN_01"));
        QCOMPARE(base(f.BAN_01), grey); // read-only boxes never turn pink
        QVERIFY(grey != kHighlight);
        QTest::mouseClick(f.CheckBox1, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.LastFocused, static_cast<QWidget*>(f.CheckBox1));
    }

    void textIsCutToTheBoxWhenLeft()
    {
        Program& p = *m_program;
        TForm1& f = p.form;
        p.type(Qt::Key_Return); // into ED_02_1
        const QString name = QStringLiteral("株式会社山田建設工業").repeated(8);
        p.typeText(name);
        p.type(Qt::Key_Return);
        const QString kept = f.ED_02_1->text();
        QVERIFY(!kept.isEmpty());
        QVERIFY(name.startsWith(kept));
        // Full-width characters count two columns.
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
        QTest::newRow("full year") << "NEN05" << "2024" << "2024";
        QTest::newRow("empty year") << "NEN05" << "" << "";
        QTest::newRow("month 13") << "TUKI05" << "13" << QString::number(CurrentMonth());
        QTest::newRow("month 0") << "TUKI06" << "0" << "";
        QTest::newRow("month 7") << "TUKI05" << "7" << "7";
        QTest::newRow("day 0") << "HI05" << "0" << "";
        QTest::newRow("day 15") << "HI06" << "15" << "15";
    }

    void dateParts()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Program& p = *m_program;
        auto* date = p.form.findChild<QLineEdit*>(box);
        QVERIFY(date);
        date->setText(typed);
        QTest::mouseClick(date, Qt::LeftButton); // read-only: reached by the mouse only
        QCOMPARE(p.focusedName(), box);
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
        QVERIFY(f.BAN_08->text().isEmpty());
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
    }

private:
    std::unique_ptr<Installation> m_installation;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<modal::Script> m_unexpected;
};

QTEST_MAIN(TestScreen)
#include "tst_screen.moc"
