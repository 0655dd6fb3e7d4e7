// The printed supplier list of a large master: with 100,000 live suppliers,
// every printed field filled (names, readings, addresses and postal codes of
// the real Tottori company records, repeated; made-up people, telephone
// numbers and codes), the preparation of the print of all rows from a closed
// query — the query opened and read, every page laid out and the whole PDF
// written — and, apart, the same for the preview: the query read again and
// every page recorded in a print preview.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrintPreviewWidget>

#include <cstdio>
#include <stdexcept>

#include "bench/BenchSupport.h"
#include "db/BlockInsert.h"
#include "db/Query.h"
#include "import/TextImport.h"
#include "suite/Unit2.h"
#include "supplier/SupplierReport.h"
#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

namespace {

constexpr int kSuppliers = 100000;

// The text cut to what a column of that many bytes holds.
QString fit(QString text, int bytes)
{
    while (cp932::encode(text).size() > bytes)
        text.chop(1);
    return text;
}

struct Company
{
    QString name, reading, zip, address;
};

QList<Company> readCompanies()
{
    QFile in(QStringLiteral(VELDRUN_DATA_DIR "/companies/31_tottori_all_20260731.csv"));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QList<Company> companies;
    for (const QString& line : SplitLines(cp932::decode(in.readAll()))) {
        const QStringList v = textimport::SplitValues(line);
        if (v.size() < 29 || !cp932::canEncode(line))
            continue;
        const QString zip = v[15];
        companies.append({fit(v[6], 100), fit(ToHalfWidth(v[28]), 20),
                          zip.size() == 7 ? zip.left(3) + u'-' + zip.mid(3) : zip,
                          fit(v[9] + v[10] + v[11], 100)});
    }
    return companies;
}

// The suite with 100,000 live suppliers, the companies repeated.
void fillSuite(db::Connection& conn, const QList<Company>& companies)
{
    const QStringList families{QStringLiteral("山田"), QStringLiteral("田中"), QStringLiteral("佐々木"),
                               QStringLiteral("小谷"), QStringLiteral("岸本"), QStringLiteral("福田")};
    const QStringList given{QStringLiteral("太郎"), QStringLiteral("花子"), QStringLiteral("健一"),
                            QStringLiteral("由美"), QStringLiteral("誠"),   QStringLiteral("和子")};
    db::BlockInsert insert(conn, QStringLiteral("MAS_SIIRE"),
                           {QStringLiteral("T_CD"), QStringLiteral("T_KEY"), QStringLiteral("T_NAME01"),
                            QStringLiteral("T_NAME02"), QStringLiteral("T_ZIP_CD"), QStringLiteral("T_ADD_1"),
                            QStringLiteral("T_ADD_2"), QStringLiteral("T_DAIHYOU"),
                            QStringLiteral("T_TANTOU"), QStringLiteral("T_TEL"), QStringLiteral("T_FAX"),
                            QStringLiteral("KU_KOUSYU"), QStringLiteral("KU_KAMOKU")});
    for (int code = 1; code <= kSuppliers; ++code) {
        const Company& c = companies[(code - 1) % companies.size()];
        const QString phone =
            QStringLiteral("0857-%1-%2").arg(20 + code % 70).arg(code % 10000, 4, 10, QLatin1Char('0'));
        insert.add({code, c.reading, c.name,
                    QStringLiteral("%1営業所").arg(QStringLiteral("鳥取米子倉吉境港").mid(code % 4 * 2, 2)),
                    c.zip, c.address, QStringLiteral("第%1ビル %2階").arg(code % 30 + 1).arg(code % 9 + 1),
                    QStringLiteral("代表取締役 ") + families[code % 6] + given[code / 6 % 6],
                    families[code / 36 % 6] + given[code % 6], phone,
                    phone.left(phone.size() - 1) + QLatin1Char('9'), 101 + code % 1200, 1 + code % 30});
    }
    insert.flush();
}

// The suite's suppliers, from the companies read only when it is to be made.
void fillFromCompanies(db::Connection& conn)
{
    const QList<Company> companies = readCompanies();
    if (companies.isEmpty())
        throw std::runtime_error("cannot read the companies file");
    fillSuite(conn, companies);
}

} // namespace

int main(int argc, char* argv[])
{
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/print");
    return bench::RunScreenBenchmark(argc, argv, "bench_print", root, fillFromCompanies, [&] {
        TDM2 dm;
        dm.FDConnection1.params() = bench::suiteParams(root + QStringLiteral("/VORNALIX.FDB"));
        // The list table's statement for every live supplier, closed as the
        // print command may find it.
        dm.FDQ_1.setSql(
            QStringLiteral("select * from MAS_SIIRE where E_DATE04 is null and T_CD>0 order by T_CD"));
        dm.FDConnection1.connect();

        const QString pdf = root + QStringLiteral("/list.pdf");
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!WriteSupplierListPdf(dm.FDQ_1, pdf, &error)) {
            std::fprintf(stderr, "bench_print: %s\n", qPrintable(error));
            return 1;
        }
        const double written = double(timer.nsecsElapsed()) / 1e9;

        // The preview's preparation from scratch too: the query read again and
        // every page recorded, as the print command shows it.
        dm.FDQ_1.close();
        QPrinter printer(QPrinter::HighResolution);
        SupplierListReport::setUpPrinter(printer);
        QPrintPreviewWidget preview(&printer);
        SupplierListReport report(dm.FDQ_1);
        QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, &preview,
                         [&report](QPrinter* target) { report.print(*target); });
        timer.restart();
        report.prepare();
        preview.updatePreview();
        const double previewed = double(timer.nsecsElapsed()) / 1e9;
        if (report.rowCount() != kSuppliers || preview.pageCount() != report.pageCount()) {
            std::fprintf(stderr, "bench_print: %d rows on %d pages, not %d rows on %d pages\n",
                         report.rowCount(), preview.pageCount(), kSuppliers, report.pageCount());
            return 1;
        }

        std::printf("print_prepare_all_rows: %.2f s\n", written);
        std::printf("print_pages: %d pages\n", report.pageCount());
        std::printf("print_pdf_size: %.1f MB\n", double(QFileInfo(pdf).size()) / 1e6);
        std::printf("print_preview_all_rows: %.2f s\n", previewed);
        QFile::remove(pdf);
        return 0;
    });
}
