// The import on real public data: twenty thousand corporations of Tottori
// prefecture in code page 932, and a nationwide list of care offices in
// UTF-8 with messy telephone numbers and a few characters code page 932 has
// no form for.

#include "tests/import/ImportFixture.h"
#include "tests/import/TottoriFile.h"
#include "util/TextLines.h"

#include <QFontMetrics>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>

using testing::ImportProgram;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Counts the paintings of a widget.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestData : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        p = std::make_unique<ImportProgram>();
    }
    void cleanup() { p.reset(); }

    void twentyThousandCorporations();
    void careOfficesInUtf8();

private:
    // Every stored name is its source's, whole or cut where the name box ends.
    void verifyName(const QString& stored, const QString& source)
    {
        const QFontMetrics metrics(p->form->L_MOJI->font());
        QVERIFY2(!stored.isEmpty() && source.startsWith(stored), qPrintable(stored + u'/' + source));
        if (stored.size() < source.size())
            QVERIFY(metrics.horizontalAdvance(source.left(stored.size() + 1)) > p->ED_02_1->width());
    }

    std::unique_ptr<ImportProgram> p;
};

void TestData::twentyThousandCorporations()
{
    const QString file = p->installation.root() + QStringLiteral("/tottori.csv");
    const QList<testing::SourceCompany> companies =
        testing::WriteTottoriSuppliers(QStringLiteral(VELDRUN_DATA_DIR "/companies/31_tottori_all_20260731.csv"), file);
    QVERIFY(companies.size() >= 20000);
    QVERIFY(p->show(file));

    QSignalSpy moves(p->form->ProgressBar1, &QProgressBar::valueChanged);
    PaintCounter painted;
    p->form->ProgressBar1->installEventFilter(&painted);
    modal::Script script; // no line may be reported
    QTest::mouseClick(p->form->BitBtn1, Qt::LeftButton);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    // The bar moved at least every hundredth of the lines, and was painted as it went.
    const int lines = p->form->ProgressBar1->maximum();
    QCOMPARE(lines, companies.size() + 1);
    int last = 0;
    for (const QList<QVariant>& move : moves) {
        QVERIFY(move.value(0).toInt() - last <= lines / 100);
        last = move.value(0).toInt();
    }
    QCOMPARE(last, lines);
    QVERIFY2(painted.paints >= 50, qPrintable(QString::number(painted.paints)));

    const QList<QVariantMap> rows = p->rows(QStringLiteral("select T_CD, T_NAME01, E_DATE01 from MAS_SIIRE order by T_CD"));
    QCOMPARE(rows.size(), companies.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].value(s("T_CD")).toInt(), companies[i].code);
        verifyName(rows[i].value(s("T_NAME01")).toString(), companies[i].name);
        QCOMPARE(rows[i].value(s("E_DATE01")).toDate(), QDate::currentDate());
    }
    const QVariantMap one = p->supplier(100);
    QCOMPARE(one.value(s("T_NAME01")).toString(), s("やすなが工事株式会社"));
    QCOMPARE(one.value(s("T_KEY")).toString(), s("ﾔｽﾅｶﾞｺｳｼﾞ"));
    QCOMPARE(one.value(s("T_ZIP_CD")).toString(), s("680-0911"));
    QCOMPARE(one.value(s("T_ADD_1")).toString(), s("鳥取県鳥取市"));
    QCOMPARE(one.value(s("T_ADD_2")).toString(), s("千代水２丁目１１８番地"));
    QCOMPARE(p->nextCode(), companies.last().code + 1);
}

void TestData::careOfficesInUtf8()
{
    const QString file = QStringLiteral(VELDRUN_DATA_DIR "/companies/jigyosho_120.csv");
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QStringList lines = SplitLines(textimport::DecodeText(in.readAll()));
    QVERIFY(p->show(file));
    // Its own 備考 column maps itself; the others by codes, as typed into the grid.
    QCOMPARE(p->columns().value(23), s("24 備考 35 BIKOU_02 備考 文字列"));
    // 事業所名 → 仕入先名１, 住所 → 住所１, 電話番号 → TEL, FAX番号 → FAX, 法人の名称 → 仕入先名２
    for (const auto& [row, code] : {std::pair{4, "3"}, {7, "12"}, {11, "9"}, {12, "10"}, {14, "4"}})
        QVERIFY(p->form->CD2Typed(row, QString::fromLatin1(code)));

    QStringList said;
    modal::Script script;
    for (int i = 0; i < 3; ++i)
        script.answer(testing::ok(&said));
    QTest::mouseClick(p->form->BitBtn1, Qt::LeftButton);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    // Reported, never stored changed: an en dash in a FAX number (line 589),
    // 雞 in an address (line 1479), and a telephone number that is 15 bytes
    // once half-width, with its trailing ideographic space (line 1503).
    QCOMPARE(said, (QStringList{lines[588], lines[1478], lines[1502]}));

    QCOMPARE(p->count(), int(lines.size()) - 1 - 3); // the heading and the three reported
    const QList<QVariantMap> rows = p->rows(QStringLiteral("select T_CD, T_NAME01, T_TEL, T_FAX from MAS_SIIRE order by T_CD"));
    int row = 0;
    for (int i = 1; i < lines.size(); ++i) {
        if (i == 588 || i == 1478 || i == 1502)
            continue;
        const QStringList v = textimport::SplitValues(lines[i]);
        QCOMPARE(rows[row].value(s("T_CD")).toInt(), row + 1); // codes from GYOUSYA_ID, in file order
        verifyName(rows[row].value(s("T_NAME01")).toString(), v[4]);
        QCOMPARE(rows[row].value(s("T_TEL")).toString(), ToHalfWidth(v[11]));
        ++row;
    }
    // A number written with full-width digits and hyphens is stored half-width.
    QVERIFY(lines.filter(s("０２９－８３６－６５５７")).size() == 1);
    QCOMPARE(p->rows(s("select count(*) as N from MAS_SIIRE where T_TEL = '029-836-6557'")).value(0).value(s("N")).toInt(), 1);
}

QTEST_MAIN(TestData)
#include "tst_data.moc"
