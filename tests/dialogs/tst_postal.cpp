#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <tuple>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "dialogs/Fonts.h"
#include "dialogs/Modal.h"
#include "dialogs/ZIP_SEL.h"
#include "postal/PostalFile.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

namespace {

constexpr int kOk = TPicker::ResultOk;
constexpr int kCancel = TPicker::ResultCancel;

QWidget* focused()
{
    return QApplication::focusWidget();
}

void type(Qt::Key key)
{
    QTest::keyClick(focused(), key);
}

// Replaces the focused box's text as a user types it: ASCII key by key,
// everything else as an input method commits it.
void retype(const QString& text)
{
    QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
    type(Qt::Key_Backspace);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(focused(), c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(focused(), &commit);
        }
    }
}

void enter(const QString& text)
{
    retype(text);
    type(Qt::Key_Return);
}

// The codes the grid lists, sorted, between blanks.
QString listed(QTableView* grid)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QStringList codes;
    for (int r = 0; r < model->rowCount(); ++r)
        codes << model->index(r, 0).data().toString();
    codes.sort();
    return codes.join(u' ');
}

// The code and address boxes before the dialog is shown.
void fill(const QString& zip, const QString& address = {})
{
    Form_ZIP->Edit2->setText(zip);
    Form_ZIP->Edit1->setText(address);
}

// Answers the file dialog with a path typed into its name box.
void chooseFile(QDialog& files, const QString& path)
{
    QCOMPARE(files.objectName(), QStringLiteral("OpenDialog1"));
    retype(path);
    if (QWidget* completions = QApplication::activePopupWidget())
        completions->close();
    type(Qt::Key_Return);
    QVERIFY(!files.isVisible());
}

} // namespace

class TestPostal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_files;
    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<db::Connection> m_suite;
    std::unique_ptr<QWidget> m_main;
    QString m_current;
    QString m_older;
    QStringList m_currentSignature;

    // Shows the dialog and hands it to check, which must close it with the result expected.
    void show(int expected, const std::function<void(TForm_ZIP&)>& check)
    {
        modal::Script script;
        script.answer([&](QDialog& dialog) { check(static_cast<TForm_ZIP&>(dialog)); });
        QCOMPARE(modal::exec(*Form_ZIP), expected);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }

    void run(const QString& sql)
    {
        db::Query q(*m_suite);
        q.setSql(sql);
        q.execute();
    }

    // Every row of a statement, each column as text.
    QList<QStringList> select(const QString& sql, const QString& zip = {})
    {
        db::Query q(*m_suite);
        q.setSql(sql);
        if (!zip.isEmpty())
            q.setParam(QStringLiteral("ZIP"), zip);
        QList<QStringList> rows;
        for (q.open(); !q.eof(); q.next()) {
            rows.append(QStringList());
            for (int i = 0; i < q.fieldCount(); ++i)
                rows.last() << q.field(i).asString();
        }
        return rows;
    }

    QStringList rowOf(const QString& zip)
    {
        const QList<QStringList> rows =
            select(QStringLiteral("select KEN_NAME, TIKU_NAME1, TIKU_NAME2, TI_MEI, YOMI, TIKU_CD from "
                                  "LOOK_ZIP where ZIP_CD=:ZIP"),
                   zip);
        return rows.size() == 1 ? rows[0] : QStringList{QStringLiteral("%1 rows").arg(rows.size())};
    }

    // Counts and sums any changed row changes.
    QStringList signature()
    {
        return select(QStringLiteral(
                          "select count(*), count(distinct ZIP_CD), sum(TIKU_CD), sum(octet_length(TI_MEI)), "
                          "sum(octet_length(YOMI)), max(TIKU_NAME2) from LOOK_ZIP"))
            .at(0);
    }

    // The import through the dialog's button; a failure's message into message.
    void importThroughButton(const QString& csv, QString* message = nullptr)
    {
        show(kCancel, [&](TForm_ZIP& d) {
            modal::Script inner;
            inner.answer([&](QDialog& files) { chooseFile(files, csv); });
            if (message)
                inner.answer([&](QDialog& box) {
                    *message = static_cast<QMessageBox&>(box).text();
                    box.accept();
                });
            QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
            QVERIFY2(inner.verify().isEmpty(), qPrintable(inner.verify()));
            QVERIFY(d.ProgressBar1->isHidden());
            QVERIFY(d.DBGrid1->isVisible() && d.FDQ_1.isOpen());
            if (!message)
                QCOMPARE(d.ProgressBar1->value(), d.ProgressBar1->maximum());
            // Offscreen, a window takes its activation back only when told.
            d.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&d));
            type(Qt::Key_Escape);
        });
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        for (const char* name : {"ken_all", "ken_all_2025-01-12"}) {
            QVERIFY(
                QProcess::execute(QStringLiteral("unzip"),
                                  {QStringLiteral("-q"),
                                   QStringLiteral(VELDRUN_DATA_DIR "/postal/%1.zip").arg(QLatin1String(name)),
                                   QStringLiteral("-d"), m_files.filePath(QLatin1String(name))}) == 0);
        }
        m_current = m_files.filePath(QStringLiteral("ken_all/KEN_ALL.CSV"));
        m_older = m_files.filePath(QStringLiteral("ken_all_2025-01-12/KEN_ALL.CSV"));

        m_database = std::make_unique<testing::SuiteDatabase>();
        m_suite = std::make_unique<db::Connection>();
        m_suite->setParams(m_database->params());
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
            run(u"insert into LOOK_ZIP (ZIP_CD, KEN_NAME, TIKU_NAME1, TIKU_NAME2) values (%1)"_qs.arg(
                QString::fromUtf16(values)));
        run(u"update LOOK_ZIP set TI_MEI = KEN_NAME || TIKU_NAME1 || TIKU_NAME2"_qs);

        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(60, 40, 1100, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        Form_ZIP = new TForm_ZIP(*m_suite, m_main.get());
    }

    void init()
    {
        // A dialog nobody scripted fails the test it happens in.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
    }

    void cleanupTestCase()
    {
        delete Form_ZIP;
        QVERIFY(!Form_ZIP);
    }

    // The dialog, on a few rows of its own.
    void showingAddsTheReadingColumnAndKeepsTheCallersList()
    {
        QVERIFY_THROWS_EXCEPTION(db::Error, select(QStringLiteral("select YOMI from LOOK_ZIP")));
        // As the main screen does it: its own statement, opened, both boxes empty.
        pickers::Reopen(Form_ZIP->FDQ_1, {QStringLiteral("select * from LOOK_ZIP where ZIP_CD=:ZIP")},
                        {{QStringLiteral("ZIP"), QStringLiteral("6800001")}});
        show(kCancel, [](TForm_ZIP& d) {
            QCOMPARE(focused(), d.Edit2);
            QCOMPARE(listed(d.DBGrid1), u"6800001"_qs);
            type(Qt::Key_Escape);
        });
        QVERIFY(!Form_ZIP->FDQ_1.isOpen());
        // Again: the column exists, the failing addition says nothing.
        show(kCancel, [](TForm_ZIP&) { type(Qt::Key_Escape); });
        QCOMPARE(select(QStringLiteral("select YOMI from LOOK_ZIP")).size(), 8);
        // A reading kept in hiragana, as the address search compares readings, and
        // one in half-width katakana, as the national file gives it.
        run(u"update LOOK_ZIP set YOMI = 'とっとりけんとっとりしはまさか' where ZIP_CD = '6800001'"_qs);
        run(u"update LOOK_ZIP set YOMI = 'ﾄｯﾄﾘｹﾝﾖﾅｺﾞｼ' where ZIP_CD = '6890000'"_qs);
    }

    void searchesByTyping()
    {
        fill({});
        show(kOk, [](TForm_ZIP& d) {
            // The first digits of a code list every code they begin; the focus goes on to the address.
            enter(QStringLiteral("123-45"));
            QCOMPARE(listed(d.DBGrid1), u"1234560 1234561 1234567"_qs);
            QCOMPARE(focused(), d.Edit1);
            // A place name in the code box: the joined address and the city, never a reading nor every code.
            type(Qt::Key_Backtab);
            enter(QStringLiteral("千代田"));
            QCOMPARE(listed(d.DBGrid1), u"1000000 1234560 1234561 1234567"_qs);
            for (const QString& typed : {QStringLiteral("ﾁﾖﾀﾞ"), QStringLiteral("-")}) {
                type(Qt::Key_Backtab);
                enter(typed);
                QCOMPARE(listed(d.DBGrid1), QString());
            }
            // The address box: names as typed; several hits put the focus on the list.
            type(Qt::Key_Backtab);
            retype(QString());
            type(Qt::Key_Tab);
            enter(QStringLiteral("鳥取"));
            QCOMPARE(listed(d.DBGrid1), u"6800001 6800002 6890000"_qs);
            QCOMPARE(focused(), d.DBGrid1);
            // Up on the first row goes back to the address; a reading converted to hiragana is one hit, taken
            // at once.
            type(Qt::Key_Up);
            QCOMPARE(focused(), d.Edit1);
            enter(QStringLiteral("ﾊﾏｻｶ"));
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(SelZip, QStringLiteral("680-0001"));
        QCOMPARE(SelTiku2, QStringLiteral("浜坂"));

        // The whole code with its hyphen, a name with a quote, and a reading typed in
        // hiragana that is stored in half-width katakana are one hit each.
        for (const auto& [box, typed, zip] :
             {std::tuple(0, QStringLiteral("123-4567"), QStringLiteral("123-4567")),
              std::tuple(1, QStringLiteral("O'Hara"), QStringLiteral("689-0000")),
              std::tuple(1, QStringLiteral("よなご"), QStringLiteral("689-0000"))}) {
            SelZip.clear();
            fill({});
            show(kOk, [box = box, typed = typed](TForm_ZIP& d) {
                (box ? d.Edit1 : d.Edit2)->setFocus();
                enter(typed);
            });
            QCOMPARE(SelZip, zip);
        }
        QCOMPARE(QStringList({SelKen, SelTiku1, SelTiku2}),
                 QStringList({u"鳥取県"_qs, u"米子市"_qs, u"O'Hara"_qs}));
    }

    void confirmingAndKeys()
    {
        // A remark instead of a district gives no district; the code box searches on showing.
        fill(QStringLiteral("1000000"));
        show(kOk, [](TForm_ZIP& d) {
            QCOMPARE(listed(d.DBGrid1), u"1000000"_qs);
            type(Qt::Key_Return);
        });
        QCOMPARE(QStringList({SelZip, SelTiku1, SelTiku2}),
                 QStringList({u"100-0000"_qs, u"千代田区"_qs, QString()}));

        // Enter in the list takes its current row; padded names lose their blanks.
        fill(QStringLiteral("680"));
        const auto toList = [](TForm_ZIP& d) {
            type(Qt::Key_Tab);
            type(Qt::Key_Return);
            QCOMPARE(focused(), d.DBGrid1);
        };
        show(kOk, [&](TForm_ZIP& d) {
            toList(d);
            if (d.FDQ_1.field(QStringLiteral("ZIP_CD")).asString() != QLatin1String("6800002"))
                type(Qt::Key_Down);
            type(Qt::Key_Return);
        });
        QCOMPARE(QStringList({SelZip, SelKen, SelTiku1, SelTiku2}),
                 QStringList({u"680-0002"_qs, u"鳥取県"_qs, u"鳥取市"_qs, u"若葉台"_qs}));

        // Esc from the list, either cancel button, and OK on an empty list keep the results.
        show(kCancel, [&](TForm_ZIP& d) {
            toList(d);
            type(Qt::Key_Escape);
        });
        show(kCancel, [](TForm_ZIP& d) { QTest::mouseClick(d.BitBtn1, Qt::LeftButton); });
        show(kCancel, [](TForm_ZIP& d) { QTest::mouseClick(d.BitBtn2, Qt::LeftButton); });
        fill(QStringLiteral("999"));
        show(kOk, [](TForm_ZIP& d) { QTest::mouseClick(d.BitBtn3, Qt::LeftButton); });
        QCOMPARE(SelZip, QStringLiteral("680-0002"));
        QCOMPARE(SelTiku2, QStringLiteral("若葉台"));
    }

    void resetAndPlacement()
    {
        fill(QStringLiteral("123"), QStringLiteral("千代田"));
        // Placed by the caller, it stays there.
        Form_ZIP->move(200, 150);
        show(kOk, [](TForm_ZIP& d) {
            QCOMPARE(d.pos(), QPoint(200, 150));
            QCOMPARE(listed(d.DBGrid1), u"1234560 1234561 1234567"_qs);
            // Reset empties the address only and lists every row, those without a code too.
            QTest::mouseClick(d.Button1, Qt::LeftButton);
            QCOMPARE(d.Edit1->text(), QString());
            QCOMPARE(d.Edit2->text(), QStringLiteral("123"));
            QCOMPARE(d.DBGrid1->model()->rowCount(), 8);
            // A double-click takes the row clicked.
            const QPoint at = d.DBGrid1->visualRect(d.DBGrid1->model()->index(4, 1)).center();
            const QString zip = d.DBGrid1->model()->index(4, 0).data().toString();
            QTest::mouseClick(d.DBGrid1->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(d.DBGrid1->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(SelZip, zip.left(3) + u'-' + zip.mid(3));
        });
        // Not placed, it opens centred on the main window.
        show(kCancel, [this](TForm_ZIP& d) {
            QVERIFY((d.frameGeometry().center() - m_main->frameGeometry().center()).manhattanLength() <= 2);
            type(Qt::Key_Escape);
        });
    }

    // The import, with the national file.
    void importThroughTheDialog()
    {
        importThroughButton(m_current);
        QCOMPARE(Form_ZIP->ProgressBar1->maximum(), 124825); // moved by the lines
        m_currentSignature = signature();
        QCOMPARE(m_currentSignature.at(0), QStringLiteral("124511"));

        QCOMPARE(rowOf(QStringLiteral("1000001")),
                 (QStringList{u"東京都"_qs, u"千代田区"_qs, u"千代田"_qs, u"東京都千代田区千代田"_qs,
                              u"ﾄｳｷｮｳﾄﾁﾖﾀﾞｸﾁﾖﾀﾞ"_qs, u"13101"_qs}));
        // A district over three lines is one row, its reading joined with it.
        const QStringList kyowa = rowOf(QStringLiteral("0660005"));
        QCOMPARE(
            kyowa.value(2),
            u"協和（８８－２、２７１－１０、３４３－２、４０４－１、４２７－３、４３１－１２、４４３－６、"
            u"６０８－２、６４１－８、８１４、８４２－５、１１３７－３、１３９２、１６５７、１７５２番地）"_qs);
        QCOMPARE(kyowa.value(4),
                 u"ﾎｯｶｲﾄﾞｳﾁﾄｾｼｷｮｳﾜ(88-2､271-10､343-2､404-1､427-3､431-12､443-6､608-2､641-8､814､"
                 u"842-5､1137-3､1392､1657､1752ﾊﾞﾝﾁ)"_qs);
        // The longest joined district is cut to its columns' bytes, at a character.
        const QList<QStringList> longest =
            select(QStringLiteral("select TIKU_NAME2, TI_MEI, YOMI from LOOK_ZIP where TIKU_NAME2 starting "
                                  "with '川上町（３６４９、'"));
        QCOMPARE(longest.size(), 1);
        QCOMPARE(cp932::encode(longest[0][0]).size(), 200);
        QCOMPARE(cp932::encode(longest[0][1]).size(), 280);
        QVERIFY(cp932::encode(longest[0][2]).size() >= 139 && cp932::encode(longest[0][2]).size() <= 140);
    }

    void aBrokenFileLeavesTheTable()
    {
        QFile source(m_current);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = source.readAll().split('\n');
        const QString path = m_files.filePath(QStringLiteral("broken.csv"));
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
        QVERIFY2(message.startsWith(QStringLiteral("エラー: ")) &&
                     message.contains(QStringLiteral("60000 行目")),
                 qPrintable(message));
        QCOMPARE(signature(), m_currentSignature);

        // A row the server refuses far into the file: every row before it is undone.
        run(u"ALTER TABLE LOOK_ZIP ADD CONSTRAINT CK_TEST CHECK (TIKU_NAME2 <> 'X''Y')"_qs);
        QList<QByteArray> fields = lines[99999].split(',');
        fields[8] = "\"X'Y\"";
        write(100000, fields.join(','));
        try {
            postal::ImportPostalFile(*m_suite, path);
            QFAIL("the import went through");
        } catch (const postal::ImportError& e) {
            QCOMPARE(e.line(), 100000);
        }
        run(u"ALTER TABLE LOOK_ZIP DROP CONSTRAINT CK_TEST"_qs);
        QCOMPARE(signature(), m_currentSignature);
    }

    // A file saved with CR, LF or CR LF line ends imports alike; a file that
    // is not the national one leaves the table as it was.
    void lineEndsAndOtherFiles()
    {
        QFile source(m_current);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray crLf = source.readAll();
        const QString path = m_files.filePath(QStringLiteral("ends.csv"));
        const auto write = [&path](const QByteArray& bytes) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bytes);
        };
        for (const char* end : {"\r", "\n"}) {
            write(QByteArray(crLf).replace("\r\n", end));
            QCOMPARE(postal::ImportPostalFile(*m_suite, path).rows, 124511);
            QCOMPARE(signature(), m_currentSignature);
        }

        const QList<QByteArray> refused = {
            // A supplier file with a heading and enough commas.
            cp932::encode(u"コード,区分,郵便番号,ﾖﾐ1,ﾖﾐ2,ﾖﾐ3,県,市,町\r\n"
                          u"105,,6800001,ﾔ,ﾏ,ﾀﾞ,山田建設,鳥取市,東町\r\n"_qs),
            // One record among lines that hold none.
            crLf.left(crLf.indexOf('\n') + 1) + QByteArray(20, '\n'),
        };
        for (const QByteArray& bytes : refused) {
            write(bytes);
            QVERIFY_THROWS_EXCEPTION(postal::ImportError, postal::ImportPostalFile(*m_suite, path));
            QCOMPARE(signature(), m_currentSignature);
        }
    }

    // The reading column is added only where it is missing, and a table that
    // cannot take it (a view) is reported rather than taken for one that has it.
    void readingColumnWhereMissing()
    {
        testing::SuiteDatabase database;
        db::Connection conn;
        conn.setParams(database.params());
        postal::AddReadingColumn(conn);
        postal::AddReadingColumn(conn);
        QVERIFY(db::HasColumn(conn, QStringLiteral("LOOK_ZIP"), QStringLiteral("YOMI")));

        db::Query q(conn);
        for (const char* sql : {"drop table LOOK_ZIP", "create table ZIP_T (ZIP_CD varchar(7), KEN_NAME varchar(8))",
                                "create view LOOK_ZIP as select ZIP_CD, KEN_NAME from ZIP_T"}) {
            q.setSql(QLatin1String(sql));
            q.execute();
        }
        QVERIFY_THROWS_EXCEPTION(db::Error, postal::AddReadingColumn(conn));
    }

    void olderThenCurrentLeavesTheCurrent()
    {
        // The older file lacks codes the current one has and has some it dropped:
        // the table is replaced, not merged, either way.
        int lastDone = 0;
        const postal::ImportResult result =
            postal::ImportPostalFile(*m_suite, m_older, [&](int done, int) { lastDone = done; });
        QCOMPARE(result.rows, 124440);
        QCOMPARE(lastDone, result.lines);
        QCOMPARE(signature().at(0), QStringLiteral("124440"));
        QCOMPARE(postal::ImportPostalFile(*m_suite, m_current).rows, 124511);
        QCOMPARE(signature(), m_currentSignature);
    }
};

QTEST_MAIN(TestPostal)
#include "tst_postal.moc"
