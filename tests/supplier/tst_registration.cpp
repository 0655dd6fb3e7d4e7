// What registration and the main screen make of the boxes' texts, and where
// the screen keeps its window, without a window or a server.

#include <QTest>

#include <array>

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

// Rows of a rule on one text: what the row shows, the text, what the rule gives.
using Rows = std::initializer_list<std::array<QString, 3>>;

template <typename Rule> void checkRows(const Rule& rule, Rows rows)
{
    for (const auto& [name, text, expected] : rows) {
        const QString got = rule(text);
        QVERIFY2(got == expected, qPrintable(name + u": "_qs + got));
    }
}

} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT

private slots:
    void abbreviateName()
    {
        checkRows(AbbreviateName, {{u"company form first"_qs, u"株式会社 山田建設"_qs, u"㈱山田建設"_qs},
                                   {u"limited first"_qs, u"有限会社山田"_qs, u"㈲山田"_qs},
                                   {u"full-width brackets"_qs, u"山田建設（株）"_qs, u"山田建設㈱"_qs},
                                   {u"half-width brackets"_qs, u"(有)カワイ　設備"_qs, u"㈲カワイ設備"_qs},
                                   {u"quote kept"_qs, u"O'Neil 建設"_qs, u"O'Neil建設"_qs},
                                   {u"width as typed"_qs, u"ＡＢＣ 建設"_qs, u"ＡＢＣ建設"_qs}});
    }

    void normaliseAccountHolder()
    {
        checkRows(NormaliseAccountHolder,
                  {{u"full-width katakana, small kana"_qs, u"ヤマダキャク"_qs, u"ﾔﾏﾀﾞｷﾔｸ"_qs},
                   {u"small tsu and yo"_qs, u"ｶ)ﾆｯｼｮｳ"_qs, u"ｶ)ﾆﾂｼﾖｳ"_qs},
                   {u"full-width letters"_qs, u"ＹＡＭＡＤＡ"_qs, u"YAMADA"_qs},
                   // What an input method gives on Linux: hiragana, or a mix.
                   {u"hiragana, ideographic blank"_qs, u"やまだ　たろう"_qs, u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs},
                   {u"hiragana, long vowel"_qs, u"ｶ)にっしょう・さーびす"_qs, u"ｶ)ﾆﾂｼﾖｳ･ｻｰﾋﾞｽ"_qs}});
    }

    void correctedDatePart()
    {
        const auto year = [](const QString& t) {
            return CorrectedDatePart(u"NEN05"_qs, t);
        };
        checkRows(year, {{u"Showa"_qs, u"S63"_qs, u"1988"_qs},
                         {u"Heisei, lower case"_qs, u"h30"_qs, u"2018"_qs},
                         {u"two-digit year"_qs, u"98"_qs, u"2098"_qs},
                         {u"99 stays"_qs, u"99"_qs, u"99"_qs},
                         {u"empty"_qs, QString(), QString()}});
        QCOMPARE(CorrectedDatePart(u"TUKI06"_qs, u"0"_qs), QString());
        QCOMPARE(CorrectedDatePart(u"HI05"_qs, u"0"_qs), QString());
        QCOMPARE(CorrectedDatePart(u"HI05"_qs, u"31"_qs), u"31"_qs);
        QCOMPARE(CorrectedDatePart(u"ED_06"_qs, u"S63"_qs), u"S63"_qs); // not a date box
        const QString before = QString::number(CurrentMonth()); // a month ending meanwhile gives the next
        const QString month = CorrectedDatePart(u"TUKI05"_qs, u"13"_qs);
        QVERIFY2(month == before || month == QString::number(CurrentMonth()), qPrintable(month));
    }

    void fitToColumns()
    {
        const auto seven = [](const QString& t) {
            return FitToColumns(t, 7);
        };
        checkRows(seven,
                  {{u"full-width counts two"_qs, u"山田建設"_qs, u"山田建"_qs},
                   {u"half-width kana count one"_qs, u"ﾔﾏﾀﾞｹﾝｾﾂ"_qs, u"ﾔﾏﾀﾞｹﾝｾ"_qs},
                   {u"mixed"_qs, u"ABC山田"_qs, u"ABC山田"_qs},
                   {u"line breaks and tabs go"_qs, u"月末\r\n締\n翌\t"_qs, u"月末締"_qs},
                   {u"outside the basic plane: whole or gone"_qs, u"abcdef\U00020BB7"_qs, u"abcdef"_qs}});
    }

    void keptOnScreen()
    {
        const QSize screen(1920, 1080);
        QCOMPARE(KeptOnScreen({10, 10, 800, 600}, screen), QPoint(10, 10));
        QCOMPARE(KeptOnScreen({1010, 10, 1200, 600}, screen), QPoint(720, 10)); // right half: to the edge
        QCOMPARE(KeptOnScreen({10, 980, 800, 600}, screen), QPoint(10, 480));   // left half keeps its place
        QCOMPARE(KeptOnScreen({10, 10, 800, 1200}, screen), QPoint(10, 0));     // never above the top
    }

    void registrationProblem()
    {
        const auto problem = [](const QString& boxes) {
            return RegistrationProblem(screenOf(boxes)).left(20);
        };
        const QString fifty = QString(50, u'山'), eighty = QString(80, u'ア');
        checkRows(problem,
                  {{u"empty screen"_qs, QString(), QString()},
                   {u"codes with blanks, small codes at their limits"_qs,
                    u"BAN_12= 301 |BAN_13=32767|BAN_14=-32768"_qs, QString()},
                   {u"code not a number"_qs, u"BAN_10=x"_qs, u"「税区分」には整数を入力してください（「"_qs},
                   {u"decimal code"_qs, u"BAN_08=2.5"_qs, u"「締め日」には整数を入力してください（「"_qs},
                   {u"small code too big"_qs, u"BAN_13= 40000"_qs, u"「工種」の値 40000 は大きすぎます"_qs},
                   {u"emoji"_qs, u"ED_02_2=山田\U0001F600"_qs, u"「仕入先名２」: 「😀」(U+1F60"_qs},
                   {u"name of its column's bytes"_qs, u"ED_02_1="_qs + fifty, QString()},
                   {u"name past its column"_qs, u"ED_02_1=x"_qs + fifty,
                    u"「仕入先名」が長すぎます（100 バイト"_qs},
                   {u"account holder measured half-width"_qs, u"E_GINKOU_4="_qs + eighty, QString()},
                   {u"account holder past its column"_qs, u"E_GINKOU_4=ア"_qs + eighty,
                    u"「口座名義」が長すぎます（80 バイトま"_qs}});
    }

    void registrationRecord()
    {
        const auto stored = [](const QString& row) {
            const QString boxes = row.section(u'>', 0, 0), column = row.section(u'>', 1, 1);
            const QVariant v = RegistrationRecord(screenOf(boxes), {}, kNow, u"PC1"_qs).value(column);
            return v.isValid() ? v.toString() : u"null"_qs;
        };
        // "boxes>column": what the column gets.
        checkRows(
            stored,
            {{u"text as typed"_qs, u"ED_02_2=O'Neil 'n' Sons>T_NAME02"_qs, u"O'Neil 'n' Sons"_qs},
             {u"empty text is null"_qs, u"ED_06=>T_TEL"_qs, u"null"_qs},
             {u"code with zeros"_qs, u"E_CD_1=0005>GINKOU_CD"_qs, u"5"_qs},
             {u"empty code is null"_qs, u"BAN_08=>KU_SIME"_qs, u"null"_qs},
             {u"empty billing kind is 0"_qs, u">KU_SEIKYU"_qs, u"0"_qs},
             {u"a code that is no number goes to the server"_qs, u"BAN_10=x>KU_TAX"_qs, u"x"_qs},
             {u"individual"_qs, u"ComboBox1=個人>KU_UKEOI"_qs, u"1"_qs},
             {u"corporation"_qs, u"ComboBox1=法人>KU_UKEOI"_qs, u"0"_qs},
             {u"amount with separators"_qs, u"BAN_16=1,500>KIN_X1"_qs, u"1500"_qs},
             {u"rate"_qs, u"ED_11=2.5>KIN_01"_qs, u"2.5"_qs},
             {u"zero amount is null"_qs, u"BAN_17=0>KIN_X2"_qs, u"null"_qs},
             {u"amount that is no number is null"_qs, u"BAN_15=abc>KIN_02"_qs, u"null"_qs},
             {u"short name derived, half-width"_qs, u"ED_02_1=ＡＢＣ建設（株）>T_NAME03"_qs, u"ABC建設㈱"_qs},
             {u"typed short name as typed"_qs, u"ED_02_1=株式会社 山田|E_RYAKU=ヤマケン>T_NAME03"_qs,
              u"ヤマケン"_qs},
             {u"no name, no short name"_qs, u">T_NAME03"_qs, u"null"_qs},
             {u"account holder"_qs, u"E_GINKOU_4=ヤマダキャク>GINKOU_KOUZA_KANA"_qs, u"ﾔﾏﾀﾞｷﾔｸ"_qs}});
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
