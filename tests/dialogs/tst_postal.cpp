// The postal-code dialog on a few rows of its own, then the import of the
// national postal file into LOOK_ZIP. How the file's lines are read and
// joined: tst_postalfile.

#include <QFile>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>
#include <tuple>

#include "db/Error.h"
#include "db/Schema.h"
#include "dialogs/Fonts.h"
#include "dialogs/ZIP_SEL.h"
#include "postal/PostalFile.h"
#include "tests/postal/PostalFiles.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

using namespace testing;

namespace {

constexpr int kOk = TPicker::ResultOk;
constexpr int kCancel = TPicker::ResultCancel;

void enter(const QString& text)
{
    retype(text);
    type(Qt::Key_Return);
}

// The codes the grid lists, sorted, between blanks.
QString codes(QTableView* grid)
{
    listed(grid); // every row read
    QStringList codes;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        codes << grid->model()->index(r, 0).data().toString();
    codes.sort();
    return codes.join(u' ');
}

// The code and address boxes before the dialog is shown.
void fill(const QString& zip, const QString& address = {})
{
    Form_ZIP->Edit2->setText(zip);
    Form_ZIP->Edit1->setText(address);
}

// Shows the dialog; check is the clerk in it and must close it.
int show(const std::function<void(TForm_ZIP&)>& check)
{
    return showWith(*Form_ZIP, [&] { check(*Form_ZIP); });
}

} // namespace

class TestPostal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_files;
    std::unique_ptr<SuiteDatabase> m_database;
    std::unique_ptr<SuiteSql> m_suite;
    std::unique_ptr<QWidget> m_main;
    QString m_current;
    QByteArray m_currentBytes;
    QStringList m_currentSignature;

    QStringList texts(const QString& sql, const QVariantMap& params = {})
    {
        QStringList values;
        for (const QVariant& v : m_suite->firstRow(sql, params))
            values << v.toString();
        return values;
    }

    // Counts and sums any changed row changes.
    QStringList signature()
    {
        return texts(u"select count(*), count(distinct ZIP_CD), sum(TIKU_CD), sum(octet_length(TI_MEI)), "
                     u"sum(octet_length(YOMI)), max(TIKU_NAME2) from LOOK_ZIP"_qs);
    }

    QString write(const QByteArray& bytes)
    {
        const QString path = m_files.filePath(u"written.csv"_qs);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
            qFatal("%s cannot be written", qPrintable(path));
        return path;
    }

    // The import through the dialog's button, the file typed into the file
    // dialog; returns what a box said afterwards (a failure's message).
    QStringList importThroughButton(const QString& csv, bool fails = false)
    {
        const Responder chooseFile = [&](QDialog& files) {
            QCOMPARE(files.objectName(), u"OpenDialog1"_qs);
            retype(csv);
            if (QWidget* completions = QApplication::activePopupWidget())
                completions->close();
            type(Qt::Key_Return);
        };
        QStringList said;
        show([&](TForm_ZIP& d) {
            said = answering([&] { QTest::mouseClick(d.SpeedButton1, Qt::LeftButton); },
                             fails ? QList<Responder>{chooseFile, ok()} : QList<Responder>{chooseFile});
            QVERIFY(d.ProgressBar1->isHidden());
            QVERIFY(d.DBGrid1->isVisible() && d.FDQ_1.isOpen());
            d.activateWindow(); // offscreen, a window takes its activation back only when told
            QVERIFY(QTest::qWaitForWindowActive(&d));
            type(Qt::Key_Escape);
        });
        return said.mid(1);
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        const QStringList files = unpackPostalFiles(m_files.path());
        QVERIFY2(files.size() == 2, "unzip failed");
        m_current = files[0];
        QFile current(m_current);
        QVERIFY(current.open(QIODevice::ReadOnly));
        m_currentBytes = current.readAll();

        m_database = std::make_unique<SuiteDatabase>();
        m_suite = std::make_unique<SuiteSql>(m_database->params());
        // The table as the suite creates it: no reading column yet.
        for (const char16_t* values : {
                 u"'1234567', '東京都', '千代田区', '千代田'",
                 u"'1234560', '東京都', '千代田区', '丸の内'",
                 u"'1234561', '東京都', '千代田区', '大手町'",
                 u"'1000000', '東京都', '千代田区', '以下に掲載がない場合'",
                 u"'6800001', '鳥取県', '鳥取市', '浜坂'",
                 u"'6800002', '鳥取県  ', '鳥取市 ', '若葉台   '", // padded, as some suites stored them
                 u"'6890000', '鳥取県', '米子市', 'O''Hara'",
                 u"null, '鳥取県', '鳥取市', '番号なし'",
             })
            m_suite->run(
                u"insert into LOOK_ZIP (ZIP_CD, KEN_NAME, TIKU_NAME1, TIKU_NAME2) values (%1)"_qs.arg(
                    QString::fromUtf16(values)));
        m_suite->run(u"update LOOK_ZIP set TI_MEI = KEN_NAME || TIKU_NAME1 || TIKU_NAME2"_qs);

        m_main = mainWindow();
        Form_ZIP = new TForm_ZIP(m_suite->connection(), m_main.get());
    }

    void init() { QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs)); }

    void cleanupTestCase()
    {
        delete Form_ZIP;
        QVERIFY(!Form_ZIP);
    }

    void showingAddsTheReadingColumnAndKeepsTheCallersList()
    {
        QVERIFY_THROWS_EXCEPTION(db::Error, m_suite->column(u"select YOMI from LOOK_ZIP"_qs));
        // As the main screen does it: its own statement, opened, both boxes empty.
        pickers::Reopen(Form_ZIP->FDQ_1, {u"select * from LOOK_ZIP where ZIP_CD=:ZIP"_qs},
                        {{u"ZIP"_qs, u"6800001"_qs}});
        show([](TForm_ZIP& d) {
            QCOMPARE(focused(), d.Edit2);
            QCOMPARE(codes(d.DBGrid1), u"6800001"_qs);
            type(Qt::Key_Escape);
        });
        QVERIFY(!Form_ZIP->FDQ_1.isOpen());
        show([](TForm_ZIP&) { type(Qt::Key_Escape); }); // again: the column exists, nothing said
        QCOMPARE(m_suite->column(u"select YOMI from LOOK_ZIP"_qs).size(), 8);
        // A reading kept in hiragana, as the address search compares readings, and
        // one in half-width katakana, as the national file gives it.
        m_suite->run(
            u"update LOOK_ZIP set YOMI = 'とっとりけんとっとりしはまさか' where ZIP_CD = '6800001'"_qs);
        m_suite->run(u"update LOOK_ZIP set YOMI = 'ﾄｯﾄﾘｹﾝﾖﾅｺﾞｼ' where ZIP_CD = '6890000'"_qs);
    }

    // The codes each search finds, narrowing or as shown; what was typed is only ever bound.
    void lists()
    {
        for (const auto& [narrowing, zip, address, codes] :
             {std::tuple(true, u"123-45"_qs, QString(), u"1234560 1234561 1234567"_qs),
              // a place name in the code box: address and city
              std::tuple(true, u"千代田"_qs, QString(), u"1000000 1234560 1234561 1234567"_qs),
              std::tuple(true, QString(), u"ﾊﾏｻｶ"_qs, u"6800001"_qs),   // a reading kept in hiragana
              std::tuple(true, QString(), u"よなご"_qs, u"6890000"_qs), // kept in half-width katakana
              std::tuple(false, u"123"_qs, u"千代田"_qs, u"1234560 1234561 1234567"_qs),
              // shown: readings are not searched, and no row without a code
              std::tuple(false, QString(), u"鳥取"_qs, u"6800001 6800002 6890000"_qs),
              std::tuple(false, QString(), u"ﾊﾏｻｶ"_qs, QString())}) {
            const pickers::Statement list =
                narrowing ? pickers::ZipNarrowing(zip, address) : pickers::ZipList(zip, address);
            QVERIFY(!list.sql.join(u'\n').contains(u'\''));
            QStringList found;
            for (const QVariant& code : m_suite->column(list.sql.join(u'\n'), list.params))
                found << code.toString();
            found.sort();
            QVERIFY2(found.join(u' ') == codes,
                     qPrintable(zip + u'|' + address + u": "_qs + found.join(u' ')));
        }
    }

    // Enter in the code box searches and goes on to the address; one hit
    // there is taken at once, and Enter in the list takes its row.
    // Esc and OK on an empty list keep the results.
    void searchingAndConfirming()
    {
        const auto results = [] {
            return QStringList{SelZip, SelKen, SelTiku1, SelTiku2};
        };
        fill({});
        QCOMPARE(show([](TForm_ZIP& d) {
                     enter(u"123-45"_qs);
                     QCOMPARE(codes(d.DBGrid1), u"1234560 1234561 1234567"_qs);
                     QCOMPARE(focused(), d.Edit1);
                     type(Qt::Key_Backtab); // the code box emptied, a reading in the address
                     retype(QString());
                     type(Qt::Key_Tab);
                     enter(u"はまさか"_qs);
                 }),
                 kOk);
        QCOMPARE(results(), (QStringList{u"680-0001"_qs, u"鳥取県"_qs, u"鳥取市"_qs, u"浜坂"_qs}));

        fill(u"680"_qs);
        show([&](TForm_ZIP& d) {
            type(Qt::Key_Tab);
            type(Qt::Key_Return);
            QCOMPARE(focused(), d.DBGrid1);
            if (d.FDQ_1.field(u"ZIP_CD"_qs).asString() != u"6800002"_qs)
                type(Qt::Key_Down);
            type(Qt::Key_Return);
        });
        // Padded names lose their blanks.
        const QStringList chosen{u"680-0002"_qs, u"鳥取県"_qs, u"鳥取市"_qs, u"若葉台"_qs};
        QCOMPARE(results(), chosen);
        QCOMPARE(show([&](TForm_ZIP&) { type(Qt::Key_Escape); }), kCancel);
        fill(u"999"_qs);
        QCOMPARE(show([](TForm_ZIP& d) { QTest::mouseClick(d.BitBtn3, Qt::LeftButton); }), kOk);
        QCOMPARE(results(), chosen);
    }

    void importThroughTheDialog()
    {
        QCOMPARE(importThroughButton(m_current), QStringList());
        m_currentSignature = signature();
        QCOMPARE(m_currentSignature.at(0), u"124511"_qs);
        QCOMPARE(texts(u"select KEN_NAME, TIKU_NAME1, TIKU_NAME2, TI_MEI, YOMI, TIKU_CD from LOOK_ZIP "
                       u"where ZIP_CD='1000001'"_qs),
                 (QStringList{u"東京都"_qs, u"千代田区"_qs, u"千代田"_qs, u"東京都千代田区千代田"_qs,
                              u"ﾄｳｷｮｳﾄﾁﾖﾀﾞｸﾁﾖﾀﾞ"_qs, u"13101"_qs}));
        // The longest joined district is cut to its columns' bytes, at a character.
        const QStringList longest = texts(u"select TIKU_NAME2, TI_MEI, YOMI from LOOK_ZIP where TIKU_NAME2 "
                                          u"starting with '川上町（３６４９、'"_qs);
        QCOMPARE(cp932::encode(longest.value(0)).size(), 200);
        QCOMPARE(cp932::encode(longest.value(1)).size(), 280);
        const qsizetype reading = cp932::encode(longest.value(2)).size(); // a kana kept with its voiced mark
        QVERIFY2(reading == 139 || reading == 140, qPrintable(QString::number(reading)));
    }

    // A line cut short in the middle: nothing changes, and the message names the line.
    void aBrokenFileLeavesTheTable()
    {
        QList<QByteArray> lines = m_currentBytes.split('\n');
        lines[59999] = lines[59999].left(lines[59999].indexOf(',') + 1) + '\r';
        const QStringList said = importThroughButton(write(lines.join('\n')), true);
        QVERIFY2(said.value(0).startsWith(u"エラー: "_qs) && said.value(0).contains(u"60000 行目"_qs),
                 qPrintable(said.join(u'|')));
        QCOMPARE(signature(), m_currentSignature);
    }

    void lineEndsAndOtherFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("imported");
        const QByteArray& crLf = m_currentBytes;
        QTest::newRow("CR only") << QByteArray(crLf).replace("\r\n", "\r") << true;
        QTest::newRow("LF only") << QByteArray(crLf).replace("\r\n", "\n") << true;
        QTest::newRow("a supplier file with a heading and enough commas")
            << cp932::encode(
                   u"コード,区分,郵便番号,ﾖﾐ1,ﾖﾐ2,ﾖﾐ3,県,市,町\r\n105,,6800001,ﾔ,ﾏ,ﾀﾞ,山田建設,鳥取市,東町\r\n"_qs)
            << false;
        QTest::newRow("one record among lines that hold none")
            << crLf.left(crLf.indexOf('\n') + 1) + QByteArray(20, '\n') << false;
    }

    // A file saved with CR, LF or CR LF line ends imports alike; a file that
    // is not the national one leaves the table as it was.
    void lineEndsAndOtherFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, imported);
        const QString path = write(bytes);
        if (imported)
            QCOMPARE(postal::ImportPostalFile(m_suite->connection(), path).rows, 124511);
        else
            QVERIFY_THROWS_EXCEPTION(postal::ImportError,
                                     postal::ImportPostalFile(m_suite->connection(), path));
        QCOMPARE(signature(), m_currentSignature);
    }

    // The reading column is added only where it is missing, and a table that
    // cannot take it (a view) is reported rather than taken for one that has it.
    void readingColumnWhereMissing()
    {
        SuiteDatabase database;
        SuiteSql suite(database.params());
        postal::AddReadingColumn(suite.connection());
        postal::AddReadingColumn(suite.connection());
        QVERIFY(db::HasColumn(suite.connection(), u"LOOK_ZIP"_qs, u"YOMI"_qs));
        suite.run(u"drop table LOOK_ZIP"_qs);
        suite.run(u"create table ZIP_T (ZIP_CD varchar(7), KEN_NAME varchar(8))"_qs);
        suite.run(u"create view LOOK_ZIP as select ZIP_CD, KEN_NAME from ZIP_T"_qs);
        QVERIFY_THROWS_EXCEPTION(db::Error, postal::AddReadingColumn(suite.connection()));
    }
};

QTEST_MAIN(TestPostal)
#include "tst_postal.moc"
