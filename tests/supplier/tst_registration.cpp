// What registration and the main screen make of the boxes' texts, and where
// the screen keeps its window, without a window or a server.

#include <QTest>

#include "supplier/Registration.h"
#include "supplier/ScreenRules.h"
#include "util/DateFields.h"

namespace {

// "BOX=text|BOX=text" as the screen holds it.
SupplierScreen screenOf(const QString& boxes)
{
    SupplierScreen screen;
    for (const QString& box : boxes.split(u'|', Qt::SkipEmptyParts))
        screen.setText(box.section(u'=', 0, 0), box.section(u'=', 1));
    return screen;
}

const QDateTime kNow(QDate(2026, 4, 1), QTime(9, 30));

} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT

private slots:
    void abbreviateName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("abbreviated");
        QTest::newRow("company form first") << u"株式会社 山田建設"_qs << u"㈱山田建設"_qs;
        QTest::newRow("limited first") << u"有限会社山田"_qs << u"㈲山田"_qs;
        QTest::newRow("full-width brackets after") << u"山田建設（株）"_qs << u"山田建設㈱"_qs;
        QTest::newRow("half-width brackets, full-width blank")
            << u"(有)カワイ　設備"_qs << u"㈲カワイ設備"_qs;
        QTest::newRow("half-width company brackets") << u"(株)鳥取"_qs << u"㈱鳥取"_qs;
        QTest::newRow("limited in full-width brackets") << u"（有）米子"_qs << u"㈲米子"_qs;
        QTest::newRow("quote kept, blank gone") << u"O'Neil 建設"_qs << u"O'Neil建設"_qs;
        QTest::newRow("width left as typed") << u"ＡＢＣ 建設"_qs << u"ＡＢＣ建設"_qs;
        QTest::newRow("empty") << QString() << QString();
    }

    void abbreviateName()
    {
        QFETCH(QString, name);
        QFETCH(QString, abbreviated);
        QCOMPARE(AbbreviateName(name), abbreviated);
    }

    void normaliseAccountHolder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("full-width katakana, small kana") << u"ヤマダキャク"_qs << u"ﾔﾏﾀﾞｷﾔｸ"_qs;
        QTest::newRow("ideographic blank") << u"ﾔﾏﾀﾞ　ﾀﾛｳ"_qs << u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs;
        QTest::newRow("small tsu and yo") << u"ｶ)ﾆｯｼｮｳ"_qs << u"ｶ)ﾆﾂｼﾖｳ"_qs;
        QTest::newRow("full-width letters") << u"ＹＡＭＡＤＡ"_qs << u"YAMADA"_qs;
        // What an input method gives on Linux: hiragana, or a mix.
        QTest::newRow("hiragana") << u"やまだ　たろう"_qs << u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs;
        QTest::newRow("hiragana, small kana and a long vowel")
            << u"ｶ)にっしょう・さーびす"_qs << u"ｶ)ﾆﾂｼﾖｳ･ｻｰﾋﾞｽ"_qs;
        QTest::newRow("empty") << QString() << QString();
    }

    void normaliseAccountHolder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(NormaliseAccountHolder(typed), stored);
    }

    void correctedDatePart_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("corrected"); // "this month": the month it is
        QTest::newRow("Showa") << u"NEN05"_qs << u"S63"_qs << u"1988"_qs;
        QTest::newRow("Heisei, lower case") << u"NEN06"_qs << u"h30"_qs << u"2018"_qs;
        QTest::newRow("two-digit year") << u"NEN05"_qs << u"5"_qs << u"2005"_qs;
        QTest::newRow("98") << u"NEN05"_qs << u"98"_qs << u"2098"_qs;
        QTest::newRow("99 stays") << u"NEN05"_qs << u"99"_qs << u"99"_qs;
        QTest::newRow("full year stays") << u"NEN05"_qs << u"2026"_qs << u"2026"_qs;
        QTest::newRow("empty year") << u"NEN05"_qs << QString() << QString();
        QTest::newRow("month 13") << u"TUKI05"_qs << u"13"_qs << u"this month"_qs;
        QTest::newRow("month 0") << u"TUKI06"_qs << u"0"_qs << QString();
        QTest::newRow("month 7") << u"TUKI05"_qs << u"7"_qs << u"7"_qs;
        QTest::newRow("day 0") << u"HI05"_qs << u"0"_qs << QString();
        QTest::newRow("day 31") << u"HI05"_qs << u"31"_qs << u"31"_qs;
        QTest::newRow("not a date box") << u"ED_06"_qs << u"S63"_qs << u"S63"_qs;
    }

    void correctedDatePart()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, corrected);
        const QString before = QString::number(CurrentMonth());
        const QString got = CorrectedDatePart(box, typed);
        if (corrected == u"this month"_qs) // a month ending meanwhile gives the next
            QVERIFY2(got == before || got == QString::number(CurrentMonth()), qPrintable(got));
        else
            QCOMPARE(got, corrected);
    }

    void fitToColumns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("kept");
        QTest::newRow("fits") << u"山田建設"_qs << 8 << u"山田建設"_qs;
        QTest::newRow("full-width counts two") << u"山田建設"_qs << 7 << u"山田建"_qs;
        QTest::newRow("half-width kana count one") << u"ﾔﾏﾀﾞｹﾝｾﾂ"_qs << 5 << u"ﾔﾏﾀﾞｹ"_qs;
        QTest::newRow("mixed") << u"ABC山田"_qs << 6 << u"ABC山"_qs;
        QTest::newRow("line breaks and tabs go")
            << u"月末\r\n締め\n翌月\t払い"_qs << 40 << u"月末締め翌月払い"_qs;
        QTest::newRow("a character outside the basic plane is whole or gone")
            << u"a\U00020BB7b"_qs << 2 << u"a"_qs;
        QTest::newRow("empty") << QString() << 10 << QString();
    }

    void fitToColumns()
    {
        QFETCH(QString, text);
        QFETCH(int, capacity);
        QFETCH(QString, kept);
        QCOMPARE(FitToColumns(text, capacity), kept);
    }

    void keptOnScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("kept");
        // On a screen of 1920 x 1080.
        QTest::newRow("on screen") << QRect(10, 10, 800, 600) << QPoint(10, 10);
        QTest::newRow("right half past the edge") << QRect(1010, 10, 1200, 600) << QPoint(720, 10);
        QTest::newRow("right half inside is pulled right") << QRect(1000, 10, 400, 600) << QPoint(1520, 10);
        QTest::newRow("left half keeps its place") << QRect(10, 980, 800, 600) << QPoint(10, 480);
        QTest::newRow("taller than the screen") << QRect(10, 10, 800, 1200) << QPoint(10, 0);
    }

    void keptOnScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QPoint, kept);
        QCOMPARE(KeptOnScreen(frame, QSize(1920, 1080)), kept);
    }

    void registrationProblem_data()
    {
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("problem"); // how it begins; empty: none
        const QString fifty = QString(50, u'山'), eighty = QString(80, u'ア');
        QTest::newRow("empty screen") << QString() << QString();
        QTest::newRow("code with blanks") << u"BAN_12= 301 "_qs << QString();
        QTest::newRow("small code at its limits") << u"BAN_13=32767|BAN_14=-32768"_qs << QString();
        QTest::newRow("code not a number")
            << u"BAN_10=x"_qs << u"「税区分」には整数を入力してください（「x」は数字ではありません）。"_qs;
        QTest::newRow("bank code not a number") << u"E_CD_1=ﾐｽﾞﾎ"_qs << u"「銀行ＣＤ」には整数"_qs;
        QTest::newRow("decimal code") << u"BAN_08=2.5"_qs << u"「締め日」には整数"_qs;
        QTest::newRow("small code too big")
            << u"BAN_13= 40000"_qs << u"「工種」の値 40000 は大きすぎます。"_qs;
        QTest::newRow("emoji in the name") << u"ED_02_2=山田\U0001F600"_qs << u"「仕入先名２」: "_qs;
        QTest::newRow("name of its column's bytes") << u"ED_02_1="_qs + fifty << QString();
        QTest::newRow("name past its column")
            << u"ED_02_1=x"_qs + fifty
            << u"「仕入先名」が長すぎます（100 バイトまで、入力は 101 バイトです）。"_qs;
        QTest::newRow("typed short name past its column")
            << u"E_RYAKU=x"_qs + fifty
            << u"「略称」が長すぎます（100 バイトまで、入力は 101 バイトです）。"_qs;
        QTest::newRow("telephone past its column")
            << u"ED_06=0857-22-12345678"_qs
            << u"「電話番号」が長すぎます（14 バイトまで、入力は 16 バイトです）。"_qs;
        // Measured as stored: half-width.
        QTest::newRow("account holder half-width fits") << u"E_GINKOU_4="_qs + eighty << QString();
        QTest::newRow("account holder past its column")
            << u"E_GINKOU_4=ア"_qs + eighty
            << u"「口座名義」が長すぎます（80 バイトまで、入力は 81 バイトです）。"_qs;
        QTest::newRow("account holder not in code page 932")
            << u"E_GINKOU_4=ﾔﾏﾀﾞ\U0001F600"_qs << u"「口座名義」: "_qs;
    }

    void registrationProblem()
    {
        QFETCH(QString, boxes);
        QFETCH(QString, problem);
        const QString found = RegistrationProblem(screenOf(boxes));
        QVERIFY2(found.startsWith(problem) && found.isEmpty() == problem.isEmpty(), qPrintable(found));
    }

    void registrationRecord_data()
    {
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("stored"); // invalid: null
        const auto row = [](const char* name, const QString& boxes, const char* column,
                            const QVariant& stored) {
            QTest::newRow(name) << boxes << QString::fromLatin1(column) << stored;
        };
        row("text as typed", u"ED_02_2=O'Neil 'n' Sons"_qs, "T_NAME02", u"O'Neil 'n' Sons"_qs);
        row("reading as typed", u"ED_01=ﾔﾏﾀﾞｹﾝｾﾂ"_qs, "T_KEY", u"ﾔﾏﾀﾞｹﾝｾﾂ"_qs);
        row("empty text is null", u"ED_06="_qs, "T_TEL", {});
        row("e-mail", u"E_MAILE=info@yamada.example.jp"_qs, "E_MAILE", u"info@yamada.example.jp"_qs);
        row("invoice number", u"E_INBOICE=T1234567890123"_qs, "INBOICE", u"T1234567890123"_qs);
        row("code with zeros", u"E_CD_1=0005"_qs, "GINKOU_CD", 5);
        row("account kind", u"E_CD_3=1"_qs, "GINKOU_KOUZA_CD", 1);
        row("four-digit trade type", u"BAN_13=9999"_qs, "KU_KOUSYU", 9999);
        row("empty code is null", u"BAN_08="_qs, "KU_SIME", {});
        row("empty billing kind is 0", QString(), "KU_SEIKYU", 0);
        row("empty amount rule is 0", QString(), "KU_KIN_K", 0);
        row("a code that is no number goes to the server", u"BAN_10=x"_qs, "KU_TAX", u"x"_qs);
        row("individual", u"ComboBox1=個人"_qs, "KU_UKEOI", 1);
        row("corporation", u"ComboBox1=法人"_qs, "KU_UKEOI", 0);
        row("amount with separators", u"BAN_16=1,500"_qs, "KIN_X1", 1500.0);
        row("rate", u"ED_11=2.5"_qs, "KIN_01", 2.5);
        row("discount", u"ED_14=3"_qs, "KIN_03", 3.0);
        row("zero amount is null", u"BAN_17=0"_qs, "KIN_X2", {});
        row("negative amount is null", u"BAN_18=-5"_qs, "KIN_X0", {});
        row("amount that is no number is null", u"BAN_15=abc"_qs, "KIN_02", {});
        row("short name from the name", u"ED_02_1=株式会社 山田建設"_qs, "T_NAME03", u"㈱山田建設"_qs);
        row("derived short name half-width", u"ED_02_1=ＡＢＣ建設（株）"_qs, "T_NAME03", u"ABC建設㈱"_qs);
        row("typed short name as typed", u"ED_02_1=株式会社 山田建設|E_RYAKU=ヤマケン"_qs, "T_NAME03",
            u"ヤマケン"_qs);
        row("no name, no short name", QString(), "T_NAME03", {});
        row("account holder", u"E_GINKOU_4=ヤマダキャク"_qs, "GINKOU_KOUZA_KANA", u"ﾔﾏﾀﾞｷﾔｸ"_qs);
        row("no account holder", u"E_GINKOU_4="_qs, "GINKOU_KOUZA_KANA", {});
    }

    void registrationRecord()
    {
        QFETCH(QString, boxes);
        QFETCH(QString, column);
        QFETCH(QVariant, stored);
        const QVariant value = RegistrationRecord(screenOf(boxes), {}, kNow, u"PC1"_qs).value(column);
        QVERIFY2(value == stored && value.isValid() == stored.isValid(), qPrintable(value.toString()));
    }

    // The dates and the workstation are stamped; what the screen does not
    // show is left out, so an update keeps it.
    void registrationStampsAndLeavesOut()
    {
        SupplierScreen screen = screenOf(u"ED_02_1=山田建設"_qs);
        screen.invoiceUnregistered = true;
        const QDateTime registered(QDate(2020, 1, 2), QTime(0, 0));
        const SupplierRecord r = RegistrationRecord(screen, registered, kNow, u"PC1"_qs);
        QCOMPARE(r.value(u"E_DATE01"_qs), QVariant(registered));
        QCOMPARE(r.value(u"E_DATE02"_qs), QVariant(kNow));
        QCOMPARE(r.value(u"PC_NAME"_qs), QVariant(u"PC1"_qs));
        QCOMPARE(r.value(u"IB_KBN"_qs), QVariant(1));
        QStringList leftOut;
        for (const SupplierColumn& c : SupplierColumns())
            if (!r.contains(c.name))
                leftOut << c.name;
        QCOMPARE(leftOut.join(u' '), u"T_CD CD_SITEN BIKOU_03 BIKOU_04 BIKOU_05 KU_T_KETA KU_G_KETA KIN "
                                     u"GINKOU_KOUZA_NAME GINKOU_KOUZA_MEIGI E_DATE03 E_DATE04 T_PASS"_qs);

        // Without a registration date the first registration is now; an unticked box stores null.
        screen.invoiceUnregistered = false;
        const SupplierRecord fresh = RegistrationRecord(screen, {}, kNow, u"PC1"_qs);
        QCOMPARE(fresh.value(u"E_DATE01"_qs), QVariant(kNow));
        QVERIFY(fresh.contains(u"IB_KBN"_qs) && fresh.isNull(u"IB_KBN"_qs));
    }
};

QTEST_GUILESS_MAIN(TestRegistration)
#include "tst_registration.moc"
