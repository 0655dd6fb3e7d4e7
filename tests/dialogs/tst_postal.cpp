// The postal-code dialog on a few rows of its own, then the import of the
// national postal file into LOOK_ZIP. How the file's lines are read and
// joined: tst_postalfile.

#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>
#include <tuple>

#include "db/Error.h"
#include "db/Schema.h"
#include "dialogs/Fonts.h"
#include "dialogs/ZIP_SEL.h"
#include "postal/PostalFile.h"
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
    QString m_older;
    QStringList m_currentSignature;

    QStringList texts(const QString& sql, const QVariantMap& params = {})
    {
        QStringList values;
        for (const QVariant& v : m_suite->firstRow(sql, params))
            values << v.toString();
        return values;
    }

    QStringList rowOf(const QString& zip)
    {
        return texts(
            u"select KEN_NAME, TIKU_NAME1, TIKU_NAME2, TI_MEI, YOMI, TIKU_CD from LOOK_ZIP where ZIP_CD=:ZIP"_qs,
            {{u"ZIP"_qs, zip}});
    }

    // Counts and sums any changed row changes.
    QStringList signature()
    {
        return texts(u"select count(*), count(distinct ZIP_CD), sum(TIKU_CD), sum(octet_length(TI_MEI)), "
                     u"sum(octet_length(YOMI)), max(TIKU_NAME2) from LOOK_ZIP"_qs);
    }

    // The import through the dialog's button, the file typed into the file
    // dialog; a failure's message into message.
    void importThroughButton(const QString& csv, QString* message = nullptr)
    {
        const auto chooseFile = [&](QDialog& files) {
            QCOMPARE(files.objectName(), u"OpenDialog1"_qs);
            retype(csv);
            if (QWidget* completions = QApplication::activePopupWidget())
                completions->close();
            type(Qt::Key_Return);
        };
        const QList<Responder> inner =
            message ? QList<Responder>{chooseFile,
                                       [&](QDialog& box) {
                                           *message = static_cast<QMessageBox&>(box).text();
                                           box.accept();
                                       }}
                    : QList<Responder>{chooseFile};
        show([&](TForm_ZIP& d) {
            answering([&] { QTest::mouseClick(d.SpeedButton1, Qt::LeftButton); }, inner);
            QVERIFY(d.ProgressBar1->isHidden());
            QVERIFY(d.DBGrid1->isVisible() && d.FDQ_1.isOpen());
            if (!message)
                QCOMPARE(d.ProgressBar1->value(), d.ProgressBar1->maximum());
            d.activateWindow(); // offscreen, a window takes its activation back only when told
            QVERIFY(QTest::qWaitForWindowActive(&d));
            type(Qt::Key_Escape);
        });
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        const QString unzip = QStandardPaths::findExecutable(u"unzip"_qs);
        if (unzip.isEmpty())
            QFAIL("unzip is not installed (Debian package unzip)");
        for (const char* name : {"ken_all", "ken_all_2025-01-12"})
            QCOMPARE(QProcess::execute(
                         unzip, {u"-q"_qs,
                                 QStringLiteral(VELDRUN_DATA_DIR "/postal/%1.zip").arg(QLatin1String(name)),
                                 u"-d"_qs, m_files.filePath(QLatin1String(name))}),
                     0);
        m_current = m_files.filePath(u"ken_all/KEN_ALL.CSV"_qs);
        m_older = m_files.filePath(u"ken_all_2025-01-12/KEN_ALL.CSV"_qs);

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

    void searchesByTyping()
    {
        fill({});
        QCOMPARE(show([](TForm_ZIP& d) {
                     // The first digits of a code list every code they begin; the focus goes on to the
                     // address.
                     enter(u"123-45"_qs);
                     QCOMPARE(codes(d.DBGrid1), u"1234560 1234561 1234567"_qs);
                     QCOMPARE(focused(), d.Edit1);
                     // A place name in the code box: the joined address and the city, never a reading nor
                     // every code.
                     type(Qt::Key_Backtab);
                     enter(u"千代田"_qs);
                     QCOMPARE(codes(d.DBGrid1), u"1000000 1234560 1234561 1234567"_qs);
                     for (const QString& typed : {u"ﾁﾖﾀﾞ"_qs, u"-"_qs}) {
                         type(Qt::Key_Backtab);
                         enter(typed);
                         QCOMPARE(codes(d.DBGrid1), QString());
                     }
                     // The address box: names as typed; several hits put the focus on the list.
                     type(Qt::Key_Backtab);
                     retype(QString());
                     type(Qt::Key_Tab);
                     enter(u"鳥取"_qs);
                     QCOMPARE(codes(d.DBGrid1), u"6800001 6800002 6890000"_qs);
                     QCOMPARE(focused(), d.DBGrid1);
                     // Up on the first row goes back to the address; a reading converted
                     // to hiragana is one hit, taken at once.
                     type(Qt::Key_Up);
                     QCOMPARE(focused(), d.Edit1);
                     enter(u"ﾊﾏｻｶ"_qs);
                 }),
                 kOk);
        QCOMPARE(SelZip + u' ' + SelTiku2, u"680-0001 浜坂"_qs);

        // The whole code with its hyphen, a name with a quote, and a reading typed in
        // hiragana that is stored in half-width katakana are one hit each.
        for (const auto& [box, typed, zip] :
             {std::tuple(0, u"123-4567"_qs, u"123-4567"_qs), std::tuple(1, u"O'Hara"_qs, u"689-0000"_qs),
              std::tuple(1, u"よなご"_qs, u"689-0000"_qs)}) {
            SelZip.clear();
            fill({});
            QCOMPARE(show([box = box, typed = typed](TForm_ZIP& d) {
                         (box ? d.Edit1 : d.Edit2)->setFocus();
                         enter(typed);
                     }),
                     kOk);
            QCOMPARE(SelZip, zip);
        }
        QCOMPARE(QStringList({SelKen, SelTiku1, SelTiku2}),
                 QStringList({u"鳥取県"_qs, u"米子市"_qs, u"O'Hara"_qs}));
    }

    void confirmingAndKeys()
    {
        // A remark instead of a district gives no district; the code box searches on showing.
        fill(u"1000000"_qs);
        show([](TForm_ZIP& d) {
            QCOMPARE(codes(d.DBGrid1), u"1000000"_qs);
            type(Qt::Key_Return);
        });
        QCOMPARE(QStringList({SelZip, SelTiku1, SelTiku2}),
                 QStringList({u"100-0000"_qs, u"千代田区"_qs, QString()}));

        // Enter in the list takes its current row; padded names lose their blanks.
        fill(u"680"_qs);
        const auto toList = [](TForm_ZIP& d) {
            type(Qt::Key_Tab);
            type(Qt::Key_Return);
            QCOMPARE(focused(), d.DBGrid1);
        };
        show([&](TForm_ZIP& d) {
            toList(d);
            if (d.FDQ_1.field(u"ZIP_CD"_qs).asString() != u"6800002"_qs)
                type(Qt::Key_Down);
            type(Qt::Key_Return);
        });
        const QStringList chosen{u"680-0002"_qs, u"鳥取県"_qs, u"鳥取市"_qs, u"若葉台"_qs};
        QCOMPARE(QStringList({SelZip, SelKen, SelTiku1, SelTiku2}), chosen);

        // Esc from the list, either cancel button, and OK on an empty list keep the results.
        QCOMPARE(show([&](TForm_ZIP& d) {
                     toList(d);
                     type(Qt::Key_Escape);
                 }),
                 kCancel);
        QCOMPARE(show([](TForm_ZIP& d) { QTest::mouseClick(d.BitBtn1, Qt::LeftButton); }), kCancel);
        QCOMPARE(show([](TForm_ZIP& d) { QTest::mouseClick(d.BitBtn2, Qt::LeftButton); }), kCancel);
        fill(u"999"_qs);
        QCOMPARE(show([](TForm_ZIP& d) { QTest::mouseClick(d.BitBtn3, Qt::LeftButton); }), kOk);
        QCOMPARE(QStringList({SelZip, SelKen, SelTiku1, SelTiku2}), chosen);
    }

    void resetAndPlacement()
    {
        fill(u"123"_qs, u"千代田"_qs);
        Form_ZIP->move(200, 150); // placed by the caller, it stays there
        show([](TForm_ZIP& d) {
            QCOMPARE(d.pos(), QPoint(200, 150));
            QCOMPARE(codes(d.DBGrid1), u"1234560 1234561 1234567"_qs);
            // Reset empties the address only and lists every row, those without a code too.
            QTest::mouseClick(d.Button1, Qt::LeftButton);
            QCOMPARE(d.Edit1->text() + u'|' + d.Edit2->text(), u"|123"_qs);
            QCOMPARE(d.DBGrid1->model()->rowCount(), 8);
            const QString zip = d.DBGrid1->model()->index(4, 0).data().toString();
            clickRow(d.DBGrid1, 4, true); // a double-click takes the row clicked
            QCOMPARE(SelZip, zip.left(3) + u'-' + zip.mid(3));
        });
        show([this](TForm_ZIP& d) { // not placed, it opens centred on the main window
            QVERIFY((d.frameGeometry().center() - m_main->frameGeometry().center()).manhattanLength() <= 2);
            type(Qt::Key_Escape);
        });
    }

    void importThroughTheDialog()
    {
        importThroughButton(m_current);
        QCOMPARE(Form_ZIP->ProgressBar1->maximum(), 124825); // moved by the lines
        m_currentSignature = signature();
        QCOMPARE(m_currentSignature.at(0), u"124511"_qs);
        QCOMPARE(rowOf(u"1000001"_qs),
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

    void aBrokenFileLeavesTheTable()
    {
        QFile source(m_current);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = source.readAll().split('\n');
        const QString path = m_files.filePath(u"broken.csv"_qs);
        const auto write = [&](int lineNo, const QByteArray& line) {
            QList<QByteArray> broken = lines;
            broken[lineNo - 1] = line;
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(broken.join('\n'));
        };

        // A line cut short in the middle: nothing changes and the message names it.
        write(60000, lines[59999].left(lines[59999].indexOf(',') + 1) + '\r');
        QString message;
        importThroughButton(path, &message);
        QVERIFY2(message.startsWith(u"エラー: "_qs) && message.contains(u"60000 行目"_qs),
                 qPrintable(message));
        QCOMPARE(signature(), m_currentSignature);

        // A row the server refuses far into the file: every row before it is undone.
        m_suite->run(u"ALTER TABLE LOOK_ZIP ADD CONSTRAINT CK_TEST CHECK (TIKU_NAME2 <> 'X''Y')"_qs);
        QList<QByteArray> fields = lines[99999].split(',');
        fields[8] = "\"X'Y\"";
        write(100000, fields.join(','));
        try {
            postal::ImportPostalFile(m_suite->connection(), path);
            QFAIL("the import went through");
        } catch (const postal::ImportError& e) {
            QCOMPARE(e.line(), 100000);
        }
        m_suite->run(u"ALTER TABLE LOOK_ZIP DROP CONSTRAINT CK_TEST"_qs);
        QCOMPARE(signature(), m_currentSignature);
    }

    // A file saved with CR, LF or CR LF line ends imports alike; a file that
    // is not the national one leaves the table as it was.
    void lineEndsAndOtherFiles()
    {
        QFile source(m_current);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray crLf = source.readAll();
        const QString path = m_files.filePath(u"ends.csv"_qs);
        const auto write = [&path](const QByteArray& bytes) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bytes);
        };
        for (const char* end : {"\r", "\n"}) {
            write(QByteArray(crLf).replace("\r\n", end));
            QCOMPARE(postal::ImportPostalFile(m_suite->connection(), path).rows, 124511);
            QCOMPARE(signature(), m_currentSignature);
        }

        const QList<QByteArray> refused = {
            // A supplier file with a heading and enough commas.
            cp932::encode(
                u"コード,区分,郵便番号,ﾖﾐ1,ﾖﾐ2,ﾖﾐ3,県,市,町\r\n105,,6800001,ﾔ,ﾏ,ﾀﾞ,山田建設,鳥取市,東町\r\n"_qs),
            // One record among lines that hold none.
            crLf.left(crLf.indexOf('\n') + 1) + QByteArray(20, '\n'),
        };
        for (const QByteArray& bytes : refused) {
            write(bytes);
            QVERIFY_THROWS_EXCEPTION(postal::ImportError,
                                     postal::ImportPostalFile(m_suite->connection(), path));
            QCOMPARE(signature(), m_currentSignature);
        }
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

    // The older file lacks codes the current one has and has some it dropped:
    // the table is replaced, not merged, either way.
    void olderThenCurrentLeavesTheCurrent()
    {
        int lastDone = 0;
        const postal::ImportResult result =
            postal::ImportPostalFile(m_suite->connection(), m_older, [&](int done, int) { lastDone = done; });
        QCOMPARE(result.rows, 124440);
        QCOMPARE(lastDone, result.lines);
        QCOMPARE(signature().at(0), u"124440"_qs);
        QCOMPARE(postal::ImportPostalFile(m_suite->connection(), m_current).rows, 124511);
        QCOMPARE(signature(), m_currentSignature);
    }
};

QTEST_MAIN(TestPostal)
#include "tst_postal.moc"
