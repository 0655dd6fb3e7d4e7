// The supplier list table on a real suite database: typing into its filters,
// the title sort, the export read back strictly, and the customer
// column. Its statement: tst_search_rules.

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

#include "db/BlockInsert.h"
#include "dialogs/Fonts.h"
#include "dialogs/KOUZOU_SEL.h"
#include "search/Unit8.h"
#include "suite/Unit2.h"
#include "tests/import/TottoriFile.h"
#include "tests/search/ListTesting.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

using namespace testing;

namespace {

// The rows of an exported file, read strictly: every value quoted, "" for a
// quote inside, CR LF after every row. Empty when the file breaks a rule.
QList<QStringList> readCsv(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = cp932::decode(file.readAll());
    QList<QStringList> rows(1);
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] != u'"')
            return {};
        QString value;
        for (++i; i < text.size() && (text[i] != u'"' || text.mid(i, 2) == u"\"\""_qs); ++i)
            value += text[text[i] == u'"' ? i++ : i];
        rows.last() << value;
        if (text.mid(i, 2) == u"\","_qs)
            i += 2;
        else if (text.mid(i, 3) == u"\"\r\n"_qs)
            i += 3, rows.append(QStringList());
        else
            return {};
    }
    return rows.last().isEmpty() ? rows.mid(0, rows.size() - 1) : QList<QStringList>{};
}

} // namespace

class TestListTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteDatabase> m_database;
    std::unique_ptr<SuiteSql> m_suite;
    std::unique_ptr<TDM2> m_dm;
    std::unique_ptr<QWidget> m_main; // and the dialogs, gone before the data module they use
    QTemporaryDir m_files;

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_database = std::make_unique<SuiteDatabase>();
        m_suite = std::make_unique<SuiteSql>(m_database->params());
        SuiteSql& s = *m_suite;
        s.addSupplier(0, u"ｼｮｸﾞﾁ"_qs, u"諸口"_qs);
        s.addSupplier(101, u"ｵﾆｰﾙ"_qs, u"O'Neil 建設"_qs);
        s.addSupplier(102, u"ﾔﾏﾀﾞｺｳﾑﾃﾝ"_qs, u"山田\"工務店\",本店"_qs);
        s.addSupplier(103, u"ｱｵｿﾞﾗ"_qs, u"青空建設"_qs, {}, 1203);
        s.addSupplier(104, u"ｻｸｼﾞｮ"_qs, u"山田削除"_qs, {}, {}, true);
        s.addSupplier(105, u"ｶﾜｲ"_qs, u"川井塗装"_qs);
        s.run(u"update MAS_SIIRE set T_ADD_2='角盤町1-2' where T_CD=102"_qs); // the second address line
        s.run(
            u"update MAS_SIIRE set T_NAME03='山田', KIN_01=2.5, IB_KBN=1, E_MAILE='a@b.jp' where T_CD=103"_qs);
        for (const char* values : {"12, 3, '塗装'", "20, 1, '工種1'", "20, 2, '工種2'"})
            s.run(u"insert into MAS_KOUSYU_02 (BL_KUBUN, BM_KUBUN, NAME01) values (%1)"_qs.arg(
                QString::fromUtf8(values)));

        m_dm = std::make_unique<TDM2>();
        m_dm->FDConnection1.setParams(m_database->params());
        m_main = mainWindow();
        MASSAGE_FORM = new TMASSAGE_FORM(m_main.get());
        Form_kouzou_sel = new TForm_kouzou_sel(m_dm->FDConnection1, m_main.get());
        new TForm8(*m_dm, m_main.get());
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        for (QLineEdit* box : {Form8->E_NAME, Form8->E_ADD, Form8->BAN_13}) {
            const QSignalBlocker quiet(box);
            box->clear();
        }
        SortDescending = 0;
        Form8->SortField = u"T_CD"_qs;
    }

    void filtersAndSort()
    {
        QStringList said;
        inList(
            *Form8,
            [] {
                TForm8& f = *Form8;
                QCOMPARE(listed(f.DBGrid1), (QList<int>{101, 102, 103, 105})); // not 0, not the deleted 104
                typeInto(f.E_NAME, u"山田"_qs);
                QCOMPARE(listed(f.DBGrid1), (QList<int>{102, 103})); // the main or the short name
                typeInto(f.E_ADD, u"角盤"_qs);
                QCOMPARE(listed(f.DBGrid1), QList<int>{102});
                f.E_NAME->clear();
                f.E_ADD->clear();
                f.E_NAME->setText(QString(300, u'x')); // longer than any column: nothing found, no error
                QCOMPARE(listed(f.DBGrid1), QList<int>{});
                f.E_NAME->clear();
                f.E_NAME->setText(u"😀"_qs); // a character the server cannot be sent: reported, the list stays
                QCOMPARE(listed(f.DBGrid1).size(), 4);
                f.E_NAME->clear();

                // Title clicks sort, each one the other way.
                QCOMPARE(clickTitle(Form8->DBGrid1, 0), (QList<int>{101, 102, 103, 105}));
                QCOMPARE(clickTitle(Form8->DBGrid1, 1),
                         (QList<int>{102, 105, 101, 103})); // by reading, descending
            },
            {ok()}, &said);
        QVERIFY2(said.value(0).contains(u"U+1F600"_qs), qPrintable(said.join(u'\n')));
    }

    void tradeTypeBoxes()
    {
        const auto pickThirdRow = [](QDialog& d) {
            auto& picker = static_cast<TForm_kouzou_sel&>(d);
            for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
                QTest::keyClick(picker.DBGrid1, key);
        };
        inList(*Form8,
               [] {
                   TForm8& f = *Form8;
                   f.C_BOX_13DropDown();
                   f.C_BOX_13->setCurrentIndex(0);
                   emit f.C_BOX_13->activated(0);
                   QCOMPARE(f.BAN_13->text(), u"1203"_qs);
                   QCOMPARE(listed(f.DBGrid1), QList<int>{103});
                   f.BAN_13->clear();
                   QTest::mouseDClick(f.BAN_13, Qt::LeftButton);
                   QCOMPARE(f.BAN_13->text() + u' ' + f.C_BOX_13->currentText(), u"2002 工種2"_qs);
               },
               {pickThirdRow});
    }

    void exportThroughTheDialog()
    {
        const QString programFolder = m_files.filePath(u"program"_qs);
        QVERIFY(QDir().mkpath(programFolder));
        Form8->setProgramFolder(&programFolder);
        QDir::setCurrent(programFolder);
        const QString chosen = m_files.filePath(u"list"_qs); // the dialog adds .csv
        inList(*Form8,
               [] {
                   Form8->DBGrid1->setColumnHidden(21, true);
                   QTest::mouseClick(Form8->BitBtn2, Qt::LeftButton);
               },
               {[&](QDialog& d) {
                   auto* name = d.findChild<QLineEdit*>(u"fileNameEdit"_qs);
                   QVERIFY(name);
                   QDir::setCurrent(QDir::tempPath()); // as a dialog may
                   name->setText(chosen);
                   QTest::keyClick(name, Qt::Key_Return);
               }});
        Form8->DBGrid1->setColumnHidden(21, false);
        QCOMPARE(QDir::currentPath(), programFolder);
        // Code page 932 (readCsv decodes it), quoting, display formats, no CHAR padding; 科目 hidden.
        const QList<QStringList> rows = readCsv(chosen + u".csv"_qs);
        QVERIFY(rows.size() == 5 && rows[0][0] == u"仕入先CD"_qs && !rows[0].contains(u"科目"_qs));
        QCOMPARE(rows[2].mid(0, 3), (QStringList{u"102"_qs, u"ﾔﾏﾀﾞｺｳﾑﾃﾝ"_qs, u"山田\"工務店\",本店"_qs}));
        QCOMPARE(rows[3][22] + rows[3][26] + rows[3][27], u"免税3a@b.jp"_qs);
    }

    void exportFaults()
    {
        const QString path = m_files.filePath(u"faults.csv"_qs);
        QStringList said; // a file that cannot be created: the reason is given
        inList(
            *Form8, [&] { QVERIFY(!Form8->ExportTo(m_files.filePath(u"missing/x.csv"_qs))); }, {ok()}, &said);
        QVERIFY2(said.size() == 1 && said[0].contains(u"missing"_qs) && said[0].contains(u"No such file"_qs),
                 qPrintable(said.join(u'\n')));

        // Bytes stored by another program that are no code page 932 text: asked
        // about; No writes nothing, Yes writes "?".
        m_suite->run(u"update MAS_SIIRE set T_NAME02=ASCII_CHAR(133)||ASCII_CHAR(64) where T_CD=101"_qs);
        inList(
            *Form8, [&] { QVERIFY(!Form8->ExportTo(path)); }, {answer(false)}, &said);
        QVERIFY(!QFile::exists(path));
        QVERIFY2(said[0].contains(u"（仕入先CD 101）「仕入先名２」"_qs) && said[0].contains(u"U+FFFD"_qs),
                 qPrintable(said[0]));
        inList(*Form8, [&] { QVERIFY(Form8->ExportTo(path)); }, {answer(true)});
        QVERIFY(readCsv(path).value(1).value(3).startsWith(u'?'));
        m_suite->run(u"update MAS_SIIRE set T_NAME02=null where T_CD=101"_qs);
    }

    // The corporations of Tottori prefecture as suppliers 100000 and up, read back.
    void exportOfRealSuppliers()
    {
        QList<QStringList> expected =
            TottoriSuppliers(QStringLiteral(VELDRUN_DATA_DIR "/companies/31_tottori_all_20260731.csv"));
        QVERIFY(expected.size() > 20000);
        db::Connection& conn = m_suite->connection();
        db::TransactionGuard transaction(conn);
        db::BlockInsert insert(conn, u"MAS_SIIRE"_qs,
                               u"T_CD,T_KEY,T_NAME01,T_ZIP_CD,T_ADD_1,T_ADD_2"_qs.split(u','));
        for (QStringList& r : expected) {
            r[0] = QString::number(100000 + r[0].toInt());
            insert.add({r[0].toInt(), r[1], r[2], r[3], r[4], r[5]});
        }
        insert.flush();
        transaction.commit();

        const QString path = m_files.filePath(u"tottori.csv"_qs);
        inList(*Form8, [&] { QVERIFY(Form8->ExportTo(path)); });
        const QList<QStringList> rows = readCsv(path);
        QCOMPARE(rows.size(), 1 + 4 + expected.size());
        for (const qsizetype i : {qsizetype(0), expected.size() / 2, expected.size() - 1}) {
            const QStringList& r = rows[5 + i];
            QCOMPARE((QStringList{r[0], r[1], r[2], r[4], r[5], r[6]}), expected[i]);
        }
    }

    void customerColumn()
    {
        TForm8& f = *Form8;
        f.AddDiscountColumn(321);
        f.AddDiscountColumn(321); // once only
        const QAbstractItemModel* m = f.DBGrid1->model();
        QCOMPARE(m->columnCount(), 32);
        QCOMPARE(m->headerData(28, Qt::Horizontal).toString(), u"歩引"_qs); // after 協力費率
        inList(*Form8, [&] { QCOMPARE(m->index(2, 29).data().toString().trimmed(), u"a@b.jp"_qs); });
    }
};

QTEST_MAIN(TestListTable)
#include "tst_list_table.moc"
