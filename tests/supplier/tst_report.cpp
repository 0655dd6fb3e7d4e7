#include <QAction>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "db/Query.h"
#include "dialogs/Modal.h"
#include "suite/Unit2.h"
#include "supplier/SupplierReport.h"
#include "tests/support/TestSupport.h"

namespace {

// The printed columns.
const QStringList kFields = QStringLiteral("T_CD,T_KEY,T_NAME01,T_NAME02,T_ZIP_CD,T_ADD_1,T_ADD_2,T_DAIHYOU,"
                                           "T_TANTOU,T_TEL,T_FAX,KU_KOUSYU,KU_KAMOKU")
                                .split(u',');

QStringList numbered(int rows)
{
    QStringList list;
    for (int code = 1; code <= rows; ++code)
        list << QStringLiteral("%1||仕入先%1").arg(code);
    return list;
}

QString poppler(const char* tool, const QStringList& arguments)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(QLatin1String(tool)), arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

// The printed supplier list, written as a PDF and read back with pdftotext:
// what the clerk gets on paper, page by page.
class TestReport : public QObject
{
    Q_OBJECT

private slots:
    // The pages are read back with poppler's tools: without them the test fails, never skips.
    void initTestCase()
    {
        for (const char* tool : {"pdftotext", "pdfinfo"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("%1 is not installed (Debian package poppler-utils)")
                                     .arg(QLatin1String(tool))));
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        m_dm.reset();
        m_database = std::make_unique<testing::SuiteDatabase>();
        m_dm = std::make_unique<TDM2>();
        m_dm->FDConnection1.params() = m_database->params();
    }

    // Every field in its column and line, A4 landscape, a value too long for
    // its frame cut off there; the query opened for the print and left open.
    void printedList()
    {
        const QStringList list{
            QStringLiteral("105|ﾔﾏﾀﾞｹﾝｾﾂ|山田建設株式会社|鳥取支店|680-0011|鳥取県鳥取市東町一丁目|"
                           "山田ビル三階|山田太郎|佐藤花子|0857-22-1234|0857-22-1235|101|3"),
            QStringLiteral("230|ﾖﾅｺﾞｺｳﾑ|米子工務店||683-0001|"
                           "鳥取県米子市皆生温泉一丁目二番三号米子臨海工業団地第二地区南側区画管理棟||"
                           "米子一郎||0859-33-5678||205|1"),
        };
        insert(list);
        const QString text = pdf();
        QVERIFY(m_dm->FDQ_1.isOpen());

        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"))
                .match(poppler("pdfinfo", {path()}));
        QCOMPARE(qRound(size.captured(1).toDouble()), 842); // A4 landscape, in points
        QCOMPARE(qRound(size.captured(2).toDouble()), 595);
        for (const QString& supplier : list) {
            const QStringList s = supplier.split(u'|');
            // The upper line, postal code and address 1 in one box, then the
            // lower line right under it.
            QStringList upper, lower;
            for (int i : {0, 2, 4, 5, 7, 9, 11})
                upper << QRegularExpression::escape(i == 5 ? s[i].left(20) : s[i]) + QStringLiteral("\\S*");
            for (int i : {1, 3, 6, 8, 10, 12})
                if (!s[i].isEmpty())
                    lower << QRegularExpression::escape(s[i]);
            const QRegularExpression row(upper.join(QStringLiteral("\\s*")) + QStringLiteral(".*\\n\\s*") +
                                         lower.join(QStringLiteral("\\s+")));
            QVERIFY2(text.contains(row), qPrintable(text));
        }
        // Address 1 has 79 mm inside its gaps: 22 characters of 3.44 mm.
        QVERIFY(!text.contains(list[1].split(u'|')[5].left(24)));

        QString error;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".")));
        QVERIFY(!WriteSupplierListPdf(m_dm->FDQ_1, m_dir.filePath(QStringLiteral("no/list.pdf")), &error));
        QVERIFY(error.contains(QStringLiteral("no/list.pdf")));
    }

    // 18 suppliers a page; every page has the header and page / total; an
    // empty list prints one page with the header alone.
    void pages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty") << 0 << 1;
        QTest::newRow("one row") << 1 << 1;
        QTest::newRow("one full page") << 18 << 1;
        QTest::newRow("three pages") << 37 << 3;
    }
    void pages()
    {
        QFETCH(int, rows);
        QFETCH(int, pages);
        insert(numbered(rows));
        const QStringList printed = pdf().split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), pages);
        for (int page = 1; page <= pages; ++page) {
            QStringList lines;
            for (const QString& line : printed[page - 1].split(u'\n', Qt::SkipEmptyParts))
                lines << line.simplified();
            // The face draws the half-width middle dot with the glyph of U+00B7.
            QStringList expected{
                QStringLiteral("仕入先マスター一覧表 %1 / %2").arg(page).arg(pages),
                QStringLiteral("業者CD 業者名・支店名 住所 代表者·担当者 TEL/FAX 工種·科目")};
            for (int code = (page - 1) * 18 + 1; code <= std::min(rows, page * 18); ++code)
                expected << QStringLiteral("%1 仕入先%1").arg(code);
            QCOMPARE(lines, expected);
        }
    }

    // The print follows the list table's last search, its filter and order,
    // and leaves the query open on the row it stood on.
    void followsListSearch()
    {
        insert({QStringLiteral("3||鳥取建材"), QStringLiteral("8||倉吉商店"), QStringLiteral("12||鳥取左官"),
                QStringLiteral("15||鳥取塗装")});
        db::Query& q = m_dm->FDQ_1;
        q.setSql(QStringList{QStringLiteral("select * from MAS_SIIRE where T_NAME01 like :NAME"),
                             QStringLiteral("order by T_CD desc")});
        q.setParam(QStringLiteral("NAME"), QStringLiteral("鳥取%"));
        q.open();
        q.next();
        const QString text = pdf().simplified();
        QVERIFY2(text.endsWith(QStringLiteral("工種·科目 15 鳥取塗装 12 鳥取左官 3 鳥取建材")),
                 qPrintable(text));
        QVERIFY(q.isOpen());
        QCOMPARE(q.recNo(), 2);
    }

    // The print command's preview: the pages at the page width, offering
    // printing and the page arrows only.
    void preview()
    {
        insert(numbered(19));
        modal::Script script;
        script.answer([&](QDialog& dialog) {
            dialog.reject();
            const auto* preview = dialog.findChild<QPrintPreviewWidget*>();
            QCOMPARE(preview->pageCount(), 2);
            QCOMPARE(preview->zoomMode(), QPrintPreviewWidget::FitToWidth);
            QStringList offered;
            for (QAction* action : dialog.findChild<QToolBar*>()->actions())
                if (action->isVisible() && !action->text().isEmpty())
                    offered << action->text();
            QCOMPARE(offered,
                     QStringLiteral("First page,Previous page,Next page,Last page,Print").split(u','));
        });
        PrintSupplierList(m_dm->FDQ_1, nullptr);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }

private:
    // Suppliers given as their printed columns' values, "|" between them; an empty value is null.
    void insert(const QStringList& list)
    {
        QStringList params;
        for (int i = 0; i < kFields.size(); ++i)
            params << QStringLiteral(":P%1").arg(i);
        db::Query q(m_dm->FDConnection1);
        q.setSql(QStringLiteral("insert into MAS_SIIRE (%1) values (%2)")
                     .arg(kFields.join(u','), params.join(u',')));
        for (const QString& values : list) {
            const QStringList supplier = values.split(u'|');
            for (int i = 0; i < kFields.size(); ++i)
                q.setParam(params[i].mid(1),
                           supplier.value(i).isEmpty() ? QVariant() : QVariant(supplier[i]));
            q.execute();
        }
    }

    QString path() const { return m_dir.filePath(QStringLiteral("list.pdf")); }
    // The list of FDQ_1 as it stands, written to a PDF and read back as text.
    QString pdf()
    {
        QString error;
        if (!WriteSupplierListPdf(m_dm->FDQ_1, path(), &error))
            qWarning("%s", qPrintable(error));
        return poppler("pdftotext", {QStringLiteral("-layout"), path(), QStringLiteral("-")});
    }

    QTemporaryDir m_dir;
    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<TDM2> m_dm;
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
