// Registration's look for a supplier typed twice, on a real suite: the
// server's keys are the program's, each kind of match is read from its index,
// and the screen asks about the invoice number and the duplicates before it
// writes. The rules themselves: tst_invoice_rules.

#include <QRegularExpression>

#include <memory>

#include "db/Query.h"
#include "suite/SchemaChecks.h"
#include "suite/SupplierKeys.h"
#include "supplier/Duplicates.h"
#include "supplier/Registration.h"
#include "tests/supplier/Program.h"

using namespace testing;

class TestDuplicates : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteDatabase> m_suite;
    std::unique_ptr<SuiteSql> m_sql;

private slots:
    void initTestCase()
    {
        m_suite = std::make_unique<SuiteDatabase>();
        m_sql = std::make_unique<SuiteSql>(m_suite->params());
        db::Query statements(m_sql->connection());
        for (int start = 0; start < 2; ++start) // the second finds the indexes there
            QVERIFY(RunSchemaChecks(m_sql->connection(), statements).empty());
        // code|name|tel|fax|invoice|deleted
        QStringList stored = {u"101|株式会社 山田建設|0857-22-1234|0857-22-1235|T2010101015241|"_qs,
                              u"102|山田建設㈱||||"_qs,
                              u"103|O'Neil 'n' Sons|(0857)22-9999|||"_qs,
                              u"104|削除済建設|0857-99-0000||T5010001031674|x"_qs,
                              u"105|(有)カワイ設備|1234|0858-33-4444||"_qs,
                              u"0|コード０建設|0857-00-0000|||"_qs};
        for (int code = 206; code > 200; --code) // the lowest codes stored last
            stored << u"%1|鈴木商店||||"_qs.arg(code);
        for (const QString& row : stored) {
            const QStringList v = row.split(u'|');
            QVariantMap values = {{u"DELETED"_qs, v[5].isEmpty() ? QVariant() : QDate(2025, 4, 1)}};
            for (int i = 0; i < 5; ++i)
                values.insert(u"CD NAME TEL FAX INVOICE"_qs.split(u' ')[i],
                              i ? QVariant(v[i]) : v[i].toInt());
            m_sql->run(u"insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, T_FAX, INBOICE, E_DATE04) "
                       u"values (:CD, :NAME, :TEL, :FAX, :INVOICE, :DELETED)"_qs,
                       values);
        }
    }

    // The server finds a stored text by the program's key, byte for byte, also
    // where a removal meets a second byte (島貫 is 93 87 8A D1; 87 8A is ㈱).
    void keysAgreeWithTheServer()
    {
        int code = 900;
        for (const QString& text : {u"株式会社 山田建設"_qs, u"（株）ＡＢＣ　ホーム"_qs, u"(有)ﾔﾏﾀﾞ ｺｳﾑﾃﾝ"_qs,
                                    u"島貫建設㈱"_qs, u"表ソ能（有）"_qs, u"(0857)22-1234 内線5"_qs}) {
            m_sql->run(
                u"insert into MAS_SIIRE (T_CD, T_NAME01, T_ADD_1, E_DATE04) values (:CD, :T, :T, '1/1/2025')"_qs,
                {{u"CD"_qs, ++code}, {u"T"_qs, text}});
            const QByteArray name = NameKey(text);
            const QString digits = DigitsKey(text);
            const QString where = u"T_CD = %1 and %2 = :NAME and octet_length(%2) = %3 and %4 = :DIGITS and "
                                  u"char_length(%4) = %5"_qs.arg(code)
                                      .arg(NameKeySql(u"T_NAME01"_qs))
                                      .arg(name.size())
                                      .arg(DigitsKeySql(u"T_ADD_1"_qs))
                                      .arg(digits.size());
            QVERIFY2(m_sql->value(u"select count(*) from MAS_SIIRE where "_qs + where,
                                  {{u"NAME"_qs, name}, {u"DIGITS"_qs, digits}}) == 1,
                     qPrintable(text));
        }
    }

    void findDuplicates_data()
    {
        QTest::addColumn<QStringList>("probe"); // code, invoice, tel, fax, name
        QTest::addColumn<QString>("found");
        QTest::newRow("invoice, digits")
            << u"0|t-2010-1010-1524-1|||別の会社"_qs.split(u'|') << u"101:インボイス番号"_qs;
        QTest::newRow("telephone, digits") << u"0||0857221234||"_qs.split(u'|') << u"101:電話番号"_qs;
        QTest::newRow("fax") << u"0|||0857 22 1235|"_qs.split(u'|') << u"101:FAX番号"_qs;
        QTest::newRow("telephone that is a fax") << u"0||0858-33-4444||"_qs.split(u'|') << u"105:FAX番号"_qs;
        QTest::newRow("name, form and width") << u"0||||ｶﾜｲ設備"_qs.split(u'|') << u"105:仕入先名"_qs;
        QTest::newRow("all at once") << u"0|T2010101015241|0857-22-1234||山田建設（株）"_qs.split(u'|')
                                     << u"101:インボイス番号・電話番号・仕入先名|102:仕入先名"_qs;
        QTest::newRow("itself") << u"101|T2010101015241|0857-22-1234||株式会社 山田建設"_qs.split(u'|')
                                << u"102:仕入先名"_qs;
        QTest::newRow("quotes") << u"0||||O'Neil 'n' Sons"_qs.split(u'|') << u"103:仕入先名"_qs;
        QTest::newRow("deleted and code 0")
            << u"0|T5010001031674|0857-99-0000|0857-00-0000|削除済建設"_qs.split(u'|') << QString();
        QTest::newRow("too few digits") << u"0||1-234||"_qs.split(u'|') << QString();
        QTest::newRow("five at most")
            << u"0||||鈴木 商店"_qs.split(u'|')
            << u"201:仕入先名|202:仕入先名|203:仕入先名|204:仕入先名|205:仕入先名"_qs;
    }

    void findDuplicates()
    {
        QFETCH(QStringList, probe);
        QFETCH(QString, found);
        const DuplicateProbe p{probe[0].toInt(), probe[1], probe[2], probe[3], probe[4]};
        QStringList matches;
        for (const DuplicateMatch& m : FindDuplicates(m_sql->connection(), p))
            matches << u"%1:%2"_qs.arg(m.code).arg(m.matched.join(u'・'));
        QCOMPARE(matches.join(u'|'), found);

        // Read from the indexes, never the whole table.
        const DuplicateLookup lookup = DuplicateStatement(p);
        if (lookup.sql.isEmpty())
            return; // nothing worth comparing: no statement
        db::Query q(m_sql->connection());
        q.setSql(lookup.sql);
        q.setParams(lookup.params);
        q.open();
        QVERIFY2(!q.plan().contains(u"NATURAL"_qs) && q.plan().contains(u"IX_MAS_SIIRE_"_qs),
                 qPrintable(q.plan()));
    }

    // A wrong invoice number and a duplicate are asked about, Enter answering
    // No; only Yes to both and to the usual question writes the supplier.
    void theScreenAsks()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        Session session;
        Program& program = session.program;
        QVERIFY(program.start());
        session.suite.addSupplier(105, u"ﾔﾏﾀﾞｹﾝｾﾂ"_qs, u"株式会社 山田建設"_qs, u"0857-22-1234"_qs);
        TForm1& f = program.form;
        for (const auto& [box, text] :
             {std::pair(f.ED_02_1, u"山田建設（株）"_qs), std::pair(f.ED_06, u"0857-22-1234"_qs),
              std::pair(f.E_INBOICE, u"ｔ２０１０－１０１０－１５２４－２"_qs)}) {
            program.focused();
            QTest::mouseClick(box, Qt::LeftButton);
            program.typeText(text);
            program.type(Qt::Key_Down);
        }
        QCOMPARE(f.E_INBOICE->text(), u"T2010101015242"_qs); // half-width and whole: made so before the cut

        const QString invoice = InvoiceNumberQuestion(u"T2010101015242"_qs);
        const QString duplicate = u"次の仕入先と重複している可能性があります。\n"
                                  u"  105 ㈱山田建設（電話番号・仕入先名）\n登録しますか？"_qs;
        QCOMPARE(program.press(Qt::Key_F3, {press(Qt::Key_Return)}), QStringList{invoice});
        QCOMPARE(program.focusedName(), u"E_INBOICE"_qs);
        QCOMPARE(program.press(Qt::Key_F3, {press(Qt::Key_Y), press(Qt::Key_Return)}),
                 (QStringList{invoice, duplicate}));
        const QString count = u"select count(*) from MAS_SIIRE"_qs;
        QVERIFY(session.suite.value(count) == 1 && f.BAN_01->text().isEmpty());

        const QStringList said = program.press(
            Qt::Key_F3, {press(Qt::Key_Y), press(Qt::Key_Y), press(Qt::Key_Return), press(Qt::Key_Return)});
        QCOMPARE(said.mid(0, 3), (QStringList{invoice, duplicate, u"登録しますか？"_qs}));
        QCOMPARE(session.suite.value(count), 2);
        QCOMPARE(session.suite.firstRow(u"select T_NAME01, T_TEL, INBOICE from MAS_SIIRE where T_CD = :CD"_qs,
                                        {{u"CD"_qs, f.BAN_01->text().toInt()}}),
                 (QVariantList{u"山田建設（株）"_qs, u"0857-22-1234"_qs, u"T2010101015242"_qs}));
    }
};

QTEST_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
