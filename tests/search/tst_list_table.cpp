// The supplier list table on a real suite database: its filters, the title
// sort, the zoom, the keys, the export read back with Python's csv module,
// and the customer column.

#include "db/BlockInsert.h"
#include "dialogs/Fonts.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Modal.h"
#include "import/TextImport.h"
#include "search/CsvExport.h"
#include "search/Unit8.h"
#include "suite/Unit2.h"
#include "tests/search/ListTesting.h"
#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

#include <QComboBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QWheelEvent>
#include <QtTest>

#include <functional>
#include <memory>

using testing::listedCodes;
using testing::SuiteData;
using testing::typeInto;
using Responder = modal::Script::Responder;

namespace {

// Every value of a CSV file as Python's csv module reads it (code page 932).
QList<QStringList> readCsv(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], encoding='cp932', newline='') as f:\n"
                                 "    json.dump(list(csv.reader(f, strict=True)), sys.stdout)\n"),
                  path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        qWarning("python3: %s", python.readAllStandardError().constData());
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList values;
        for (const QJsonValue& v : row.toArray())
            values << v.toString();
        rows << values;
    }
    return rows;
}

void wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::ControlModifier, int times = 1)
{
    QWidget* viewport = Form8->DBGrid1->viewport();
    const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
    for (int i = 0; i < times; ++i) {
        QWheelEvent e(at, viewport->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &e);
    }
}

QList<int> clickTitle(int column)
{
    QHeaderView* titles = Form8->DBGrid1->horizontalHeader();
    const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
    return listedCodes(Form8->DBGrid1);
}

QList<int> filter(QLineEdit* box, const QString& text)
{
    typeInto(box, text);
    return listedCodes(Form8->DBGrid1);
}

Responder answerMessage(bool yes)
{
    return [yes](QDialog& d) {
        auto& message = static_cast<TMASSAGE_FORM&>(d);
        (yes ? message.BitBtn1 : message.BitBtn2)->click();
    };
}

const Responder okBox = [](QDialog& d) {
    static_cast<QMessageBox&>(d).button(QMessageBox::Ok)->click();
};

// Enter, or another key, where the focus is; returns the name of what has the focus then.
QString press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
    QWidget* w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox*>(w->parentWidget()))
        w = w->parentWidget();
    return w ? w->objectName() : QString();
}

} // namespace

class TestListTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<SuiteData> m_suite;
    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<TDM2> m_dm;
    QTemporaryDir m_files;

    // Shows the list modally, runs body as the clerk in it, then closes it;
    // nested answers the dialogs body opens, in order. What they said goes to said.
    // A dialog left unanswered or an answer left unused warns, which init() makes fail.
    void inList(const std::function<void()>& body, const QList<Responder>& nested = {},
                QStringList* said = nullptr)
    {
        modal::Script script;
        script.answer([&](QDialog&) {
            body();
            if (Form8->isVisible())
                Form8->done(TPicker::ResultCancel);
        });
        for (const Responder& r : nested)
            script.answer(r);
        modal::exec(*Form8);
        if (said)
            for (const modal::ShownDialog& shown : script.shown())
                *said << shown.text;
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_database = std::make_unique<testing::SuiteDatabase>();
        m_suite = std::make_unique<SuiteData>(m_database->params());
        SuiteData& s = *m_suite;
        s.addSupplier(0, QStringLiteral("ｼｮｸﾞﾁ"), QStringLiteral("諸口"));
        s.addSupplier(101, QStringLiteral("ｵﾆｰﾙ"), QStringLiteral("O'Neil 建設"));
        s.addSupplier(102, QStringLiteral("ﾔﾏﾀﾞｺｳﾑﾃﾝ"), QStringLiteral("山田\"工務店\",本店"));
        s.addSupplier(103, QStringLiteral("ｱｵｿﾞﾗ"), QStringLiteral("青空建設"), {}, 1203);
        s.addSupplier(104, QStringLiteral("ｻｸｼﾞｮ"), QStringLiteral("山田削除"), {}, {}, true);
        s.addSupplier(105, QStringLiteral("ｶﾜｲ"), QStringLiteral("川井塗装"));
        const auto set = [&s](int code, const QString& assignments) {
            s.run(QStringLiteral("update MAS_SIIRE set %1 where T_CD=%2").arg(assignments).arg(code));
        };
        set(101, QStringLiteral("T_ADD_1='鳥取県鳥取市東町'"));
        set(102, QStringLiteral("T_ADD_1='鳥取県米子市', T_ADD_2='角盤町1-2'"));
        set(103, QStringLiteral(
                     "T_NAME03='山田', T_ADD_1='鳥取県米子市', KIN_01=2.5, IB_KBN=1, E_MAILE='a@b.jp'"));
        set(104, QStringLiteral("T_ADD_1='鳥取県米子市'"));
        set(105, QStringLiteral("T_ADD_1='鳥取県倉吉市', T_ADD_2='米子通り'"));
        // 31 trade types for the drop-down.
        s.run(
            QStringLiteral("insert into MAS_KOUSYU_02 (BL_KUBUN, BM_KUBUN, NAME01) values (12, 3, '塗装')"));
        for (int i = 1; i <= 30; ++i)
            s.run(QStringLiteral(
                      "insert into MAS_KOUSYU_02 (BL_KUBUN, BM_KUBUN, NAME01) values (20, %1, '工種%1')")
                      .arg(i));

        m_dm = std::make_unique<TDM2>();
        m_dm->FDConnection1.setParams(m_database->params());
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(60, 40, 1100, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        MASSAGE_FORM = new TMASSAGE_FORM(m_main.get());
        Form_kouzou_sel = new TForm_kouzou_sel(m_dm->FDConnection1, m_main.get());
        new TForm8(*m_dm, m_main.get());
        QVERIFY(Form8);
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        for (QLineEdit* box : {Form8->E_NAME, Form8->E_ADD, Form8->BAN_13}) {
            const QSignalBlocker quiet(box);
            box->clear();
        }
        SortDescending = 0;
        Form8->SortField = QStringLiteral("T_CD");
    }

    void cleanupTestCase()
    {
        delete Form8;
        delete Form_kouzou_sel;
        delete MASSAGE_FORM;
        m_main.reset();
        m_dm.reset();
    }

    void writerReplacesWhatCodePage932Lacks()
    {
        csvexport::Writer w({QStringLiteral("CD"), QStringLiteral("名前")});
        w.addRow({QStringLiteral("7"), QStringLiteral("髙橋㈱")});
        w.addRow({QStringLiteral("8"), QStringLiteral("A😀B–")});
        QCOMPARE(cp932::decode(w.bytes()),
                 QStringLiteral("\"CD\",\"名前\"\r\n\"7\",\"髙橋㈱\"\r\n\"8\",\"A?B?\"\r\n"));
        QCOMPARE(w.unwritable().size(), 1); // the first of the row's
        const QString question = csvexport::ReplaceQuestion(w);
        QVERIFY2(question.contains(QStringLiteral("2 行目（CD 8）「名前」")) &&
                     question.contains(QStringLiteral("U+1F600")),
                 qPrintable(question));
    }

    void filtersAndSort()
    {
        QStringList said;
        inList(
            [] {
                TForm8& f = *Form8;
                QCOMPARE(listedCodes(f.DBGrid1),
                         (QList<int>{101, 102, 103, 105})); // not 0, not the deleted 104
                QCOMPARE(filter(f.E_NAME, QStringLiteral("O'Neil")), QList<int>{101});
                // The main name or the short name.
                QCOMPARE(filter(f.E_NAME, QStringLiteral("山田")), (QList<int>{102, 103}));
                QCOMPARE(filter(f.E_ADD, QStringLiteral("角盤")), QList<int>{102});
                f.E_NAME->clear();
                // Either address line.
                QCOMPARE(filter(f.E_ADD, QStringLiteral("米子")), (QList<int>{102, 103, 105}));
                f.E_ADD->clear();
                QCOMPARE(filter(f.BAN_13, QStringLiteral("abc")), (QList<int>{101, 102, 103, 105}));
                QCOMPARE(f.C_BOX_13->currentText(), QString());
                QCOMPARE(filter(f.BAN_13, QStringLiteral("1203")), QList<int>{103});
                QCOMPARE(f.C_BOX_13->currentText(), QStringLiteral("塗装"));
                f.BAN_13->clear();
                // Longer than any column: nothing found, no error.
                f.E_NAME->setText(QString(300, u'x'));
                QCOMPARE(listedCodes(f.DBGrid1), QList<int>{});
                f.E_NAME->clear();
                // A character the server cannot be sent: reported, the list stays.
                f.E_NAME->setText(QStringLiteral("😀"));
                QCOMPARE(listedCodes(f.DBGrid1).size(), 4);
                f.E_NAME->clear();

                // Title clicks sort, each one the other way.
                QCOMPARE(clickTitle(0), (QList<int>{101, 102, 103, 105}));
                QCOMPARE(SortDescending, 1);
                QCOMPARE(clickTitle(0), (QList<int>{105, 103, 102, 101}));
                QCOMPARE(SortDescending, 0);
                clickTitle(2);
                QCOMPARE(clickTitle(1), (QList<int>{102, 105, 101, 103})); // by reading, descending
                QCOMPARE(f.SortField, QStringLiteral("T_KEY"));
            },
            {okBox}, &said);
        QVERIFY2(said.value(1).contains(QStringLiteral("U+1F600")), qPrintable(said.join(u'\n')));
    }

    void zoomAndKeys()
    {
        inList([] {
            TForm8& f = *Form8;
            QTableView* grid = f.DBGrid1;
            wheel(120, Qt::NoModifier); // scrolls, no zoom
            wheel(-120);                // no smaller than 12
            QCOMPARE(grid->font().pointSize(), 12);
            const int first = grid->columnWidth(0), last = grid->columnWidth(30);
            wheel(120, Qt::ControlModifier, 20);
            QCOMPARE(grid->font().pointSize(), 32);
            QCOMPARE(grid->horizontalHeader()->font().pointSize(), 32);
            QVERIFY(grid->columnWidth(0) > first && grid->columnWidth(30) > last); // all 31 columns widen
            wheel(-120, Qt::ControlModifier, 20);
            QCOMPARE(grid->font().pointSize(), 12);

            // Enter moves on through the boxes but stays in the trade-type box.
            QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("E_NAME"));
            QCOMPARE(press(Qt::Key_Return), QStringLiteral("E_ADD"));
            QCOMPARE(press(Qt::Key_Return), QStringLiteral("BAN_13"));
            QCOMPARE(press(Qt::Key_Return), QStringLiteral("BAN_13"));
            QCOMPARE(press(Qt::Key_Up), QStringLiteral("E_ADD"));
            press(Qt::Key_Down);
            press(Qt::Key_Down);
            QCOMPARE(press(Qt::Key_Down), QStringLiteral("DBGrid1"));
            // In the grid the arrows move between rows.
            grid->setCurrentIndex(grid->model()->index(0, 0));
            QCOMPARE(press(Qt::Key_Down), QStringLiteral("DBGrid1"));
            QCOMPARE(grid->currentIndex().row(), 1);
            QCOMPARE(f.FDQ_1.recNo(), 2);
        });
    }

    void tradeTypeBoxes()
    {
        const auto pickThirdRow = [](QDialog& d) {
            auto& picker = static_cast<TForm_kouzou_sel&>(d);
            QTest::keyClick(picker.DBGrid1, Qt::Key_Down);
            QTest::keyClick(picker.DBGrid1, Qt::Key_Down);
            QTest::keyClick(picker.DBGrid1, Qt::Key_Return);
        };
        inList(
            [] {
                TForm8& f = *Form8;
                f.C_BOX_13DropDown();
                QCOMPARE(f.C_BOX_13->count(), 31);
                f.C_BOX_13->setCurrentIndex(0);
                emit f.C_BOX_13->activated(0);
                QCOMPARE(f.BAN_13->text(), QStringLiteral("1203"));
                QCOMPARE(listedCodes(f.DBGrid1), QList<int>{103});
                f.BAN_13->clear();
                QCOMPARE(f.C_BOX_13->currentText(), QString());
                QTest::mouseDClick(f.BAN_13, Qt::LeftButton);
                QCOMPARE(f.BAN_13->text(), QStringLiteral("2002"));
                QCOMPARE(f.C_BOX_13->currentText(), QStringLiteral("工種2"));
                // Offscreen nobody activates the list again: its own focus is what counts.
                QCOMPARE(f.focusWidget(), f.E_ADD);
            },
            {pickThirdRow});
    }

    void exportThroughTheDialog()
    {
        const QString programFolder = m_files.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(programFolder));
        Form8->setProgramFolder(&programFolder);
        QDir::setCurrent(programFolder);
        const QString chosen = m_files.filePath(QStringLiteral("list")); // the dialog adds .csv
        inList(
            [] {
                Form8->DBGrid1->setColumnHidden(21, true);
                QTest::mouseClick(Form8->BitBtn2, Qt::LeftButton);
            },
            {[&](QDialog& d) {
                auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                QDir::setCurrent(QDir::tempPath()); // as a dialog may
                name->setText(chosen);
                QTest::keyClick(name, Qt::Key_Return);
            }});
        Form8->DBGrid1->setColumnHidden(21, false);
        QCOMPARE(QDir::currentPath(), programFolder);
        QFile file(chosen + QStringLiteral(".csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\"\x8E\x64\x93\xFC\x90\xE6"
                                 "CD\",")); // "仕入先CD" in code page 932
        QCOMPARE(bytes.count("\r\n"), 5);
        QCOMPARE(bytes.count('\n'), 5);
        const QStringList lines = cp932::decode(bytes).split(QStringLiteral("\r\n"));
        QVERIFY(!lines[0].contains(QStringLiteral("科目"))); // hidden: not written
        QCOMPARE(lines[0].count(u','), 29);

        const QList<QStringList> rows = readCsv(file.fileName());
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[2].mid(0, 3), (QStringList{QStringLiteral("102"), QStringLiteral("ﾔﾏﾀﾞｺｳﾑﾃﾝ"),
                                                 QStringLiteral("山田\"工務店\",本店")}));
        QCOMPARE(rows[3][22], QStringLiteral("免税")); // display formats, the padding of CHAR gone
        QCOMPARE(rows[3][26], QStringLiteral("3"));
        QCOMPARE(rows[3][27], QStringLiteral("a@b.jp"));
    }

    void exportFaults()
    {
        const QString path = m_files.filePath(QStringLiteral("faults.csv"));
        QStringList said;
        // An empty list writes nothing.
        inList([&] {
            typeInto(Form8->E_NAME, QStringLiteral("該当なし"));
            QVERIFY(!Form8->ExportTo(path));
            Form8->E_NAME->clear();
        });
        QVERIFY(!QFile::exists(path));

        // A file that cannot be created: the reason is given.
        inList([&] { QVERIFY(!Form8->ExportTo(m_files.filePath(QStringLiteral("missing/x.csv")))); }, {okBox},
               &said);
        QCOMPARE(said.size(), 2);
        QVERIFY2(said[1].contains(QStringLiteral("missing")) &&
                     said[1].contains(QStringLiteral("No such file")),
                 qPrintable(said[1]));

        // Bytes stored by another program that are no code page 932 text: asked
        // about; No writes nothing, Yes writes "?".
        m_suite->run(
            QStringLiteral("update MAS_SIIRE set T_NAME02=ASCII_CHAR(133)||ASCII_CHAR(64) where T_CD=101"));
        said.clear();
        inList([&] { QVERIFY(!Form8->ExportTo(path)); }, {answerMessage(false)}, &said);
        QVERIFY(!QFile::exists(path));
        QVERIFY2(said[1].contains(QStringLiteral("（仕入先CD 101）「仕入先名２」")) &&
                     said[1].contains(QStringLiteral("U+FFFD")),
                 qPrintable(said[1]));
        inList([&] { QVERIFY(Form8->ExportTo(path)); }, {answerMessage(true)});
        const QList<QStringList> rows = readCsv(path);
        QVERIFY(rows.size() == 5 && rows[1][3].startsWith(u'?'));
        m_suite->run(QStringLiteral("update MAS_SIIRE set T_NAME02=null where T_CD=101"));
    }

    void exportOfRealSuppliers()
    {
        // The corporations of Tottori prefecture as suppliers 100000 and up.
        QFile source(QStringLiteral(VELDRUN_DATA_DIR "/companies/31_tottori_all_20260731.csv"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QMap<int, QStringList> expected;
        {
            db::Connection& conn = m_suite->connection();
            conn.startTransaction();
            db::BlockInsert insert(
                conn, QStringLiteral("MAS_SIIRE"),
                QStringLiteral("T_CD,T_KEY,T_NAME01,T_ZIP_CD,T_ADD_1,T_ADD_2").split(u','));
            for (const QString& line : SplitLines(cp932::decode(source.readAll()))) {
                const QStringList v = textimport::SplitValues(line);
                QString reading = ToHalfWidth(v[28]);
                while (cp932::encode(reading).size() > 20)
                    reading.chop(1);
                const QStringList row{
                    QString::number(100000 + v[0].toInt()), reading, v[6], v[15], v[9] + v[10], v[11]};
                insert.add({row[0].toInt(), row[1], row[2], row[3], row[4], row[5]});
                expected.insert(row[0].toInt(), row);
            }
            insert.flush();
            conn.commit();
        }
        QVERIFY(expected.size() > 20000);

        const QString path = m_files.filePath(QStringLiteral("tottori.csv"));
        inList([&] { QVERIFY(Form8->ExportTo(path)); });
        const QList<QStringList> rows = readCsv(path);
        QCOMPARE(rows.size(), 1 + 4 + expected.size());
        int row = 5;
        for (auto it = expected.cbegin(); it != expected.cend(); ++it, ++row) {
            const QStringList& r = rows[row];
            const QStringList got{r[0], r[1], r[2], r[4], r[5], r[6]};
            QVERIFY2(got == it.value(),
                     qPrintable(got.join(u'|') + QStringLiteral(" != ") + it.value().join(u'|')));
        }
    }

    void customerColumn()
    {
        TForm8& f = *Form8;
        f.AddDiscountColumn(321);
        f.AddDiscountColumn(321); // once only
        const QAbstractItemModel* m = f.DBGrid1->model();
        QCOMPARE(m->columnCount(), 32);
        QCOMPARE(m->headerData(28, Qt::Horizontal).toString(), QStringLiteral("歩引")); // after 協力費率
        QCOMPARE(m->headerData(29, Qt::Horizontal).toString(), QStringLiteral("E_MAILE"));
        QCOMPARE(f.DBGrid1->columnWidth(28), f.DBGrid1->columnWidth(27));
        QCOMPARE(f.DBGrid1->columnWidth(29), 321);
        inList([&] {
            QCOMPARE(m->index(2, 29).data().toString().trimmed(), QStringLiteral("a@b.jp"));
            const int last = f.DBGrid1->columnWidth(31);
            wheel(120);
            QCOMPARE(f.DBGrid1->columnWidth(31), last); // the zoom's pass stops at 31 columns
        });
    }
};

QTEST_MAIN(TestListTable)
#include "tst_list_table.moc"
