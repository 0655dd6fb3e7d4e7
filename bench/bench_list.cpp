// The supplier list table on a large suite: with 100,000 live suppliers
// whose records are filled as an office fills them, the time from showing
// the list to its first rows painted, and from one keystroke in the name
// filter to the narrowed rows painted (median of 20 each); what the
// program's memory grows by when the whole list has been scrolled through,
// and by when the list is closed and the connection switched off (nothing
// more should be read then); and the export of every row to a CSV file.

#include <QAbstractItemModel>
#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include "bench/BenchSupport.h"
#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "dialogs/Fonts.h"
#include "search/Unit8.h"
#include "suite/Unit2.h"

namespace {

constexpr int kSuppliers = 100000;
constexpr int kRuns = 20;

// The suite with 100,000 live suppliers.
void fillSuite(db::Connection& conn)
{
    QStringList columns;
    for (const char* c : {"T_CD",
                          "T_KEY",
                          "T_NAME01",
                          "T_NAME02",
                          "T_NAME03",
                          "T_ZIP_CD",
                          "T_ADD_1",
                          "T_ADD_2",
                          "T_DAIHYOU",
                          "T_TANTOU",
                          "T_TEL",
                          "T_FAX",
                          "GINKOU_CD",
                          "GINKOU_NAME",
                          "GINKOU_S_CD",
                          "GINKOU_S_NAME",
                          "GINKOU_KOUZA_CD",
                          "GINKOU_KOUZA_KANA",
                          "GINKOU_KOUZA_BANGOU",
                          "KU_KOUSYU",
                          "KU_SIME",
                          "KU_HARAI",
                          "KIN_01",
                          "INBOICE",
                          "IB_KBN",
                          "E_MAILE",
                          "BIKOU_01",
                          "E_DATE01"})
        columns << QLatin1String(c);
    db::BlockInsert insert(conn, QStringLiteral("MAS_SIIRE"), columns);
    for (int code = 1; code <= kSuppliers; ++code) {
        const auto& surname = bench::kSurnames[code % 20];
        const auto& trade = bench::kTrades[(code / 20) % 5];
        const QString name = QString::fromUtf8(surname[1]) + QString::fromUtf8(trade[1]);
        const QString reading = QString::fromUtf8(surname[0]) + QString::fromUtf8(trade[0]);
        insert.add(
            {code,
             reading,
             QStringLiteral("株式会社") + name + QString::number(code),
             QStringLiteral("鳥取支店"),
             name,
             QStringLiteral("680-%1").arg(code % 10000, 4, 10, QLatin1Char('0')),
             QStringLiteral("鳥取県鳥取市東町一丁目%1番地").arg(code % 500),
             QStringLiteral("第%1ビル %2階").arg(code % 30).arg(code % 9 + 1),
             QString::fromUtf8(surname[1]) + QStringLiteral("太郎"),
             QString::fromUtf8(surname[1]) + QStringLiteral("花子"),
             QStringLiteral("0857-%1-%2").arg(code % 90 + 10).arg(code % 10000, 4, 10, QLatin1Char('0')),
             QStringLiteral("0857-%1-9999").arg(code % 90 + 10),
             QStringLiteral("0168"),
             QStringLiteral("鳥取銀行"),
             QString::number(100 + code % 50),
             QStringLiteral("本店営業部"),
             1,
             QStringLiteral("ｶ)") + reading,
             QStringLiteral("%1").arg(code * 7 % 10000000, 7, 10, QLatin1Char('0')),
             100 * (1 + code % 30) + code % 7,
             20,
             10,
             double(code % 5),
             QStringLiteral("T%1").arg(qint64(code) * 7919 % 10000000000000LL, 13, 10, QLatin1Char('0')),
             code % 3 == 0 ? 1 : 0,
             QStringLiteral("info%1@example.co.jp").arg(code),
             QStringLiteral("090-%1-5678").arg(code % 10000, 4, 10, QLatin1Char('0')),
             QDate(2025, 1 + code % 12, 1)});
    }
    insert.flush();
}

// One character as an input method commits it.
void commit(QWidget* box, const QString& character)
{
    QInputMethodEvent event;
    event.setCommitString(character);
    QApplication::sendEvent(box, &event);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/list");
    try {
        if (!bench::PrepareSuite("bench_list", root, fillSuite))
            return 1;
        TDM2 dm;
        dm.FDConnection1.params() = bench::suiteParams(root + QStringLiteral("/VORNALIX.FDB"));
        const std::unique_ptr<QWidget> main = bench::ShowMainWindow();
        TForm8 list(dm, main.get());
        bench::PaintWatch painted(list.DBGrid1);
        bool ok = true;

        // Showing the list: every live supplier.
        std::vector<double> open;
        for (int i = 0; i < kRuns; ++i) {
            painted.reset();
            QElapsedTimer t;
            t.start();
            list.show();
            ok = painted.waitForRows() && ok;
            open.push_back(double(t.nsecsElapsed()) / 1e6);
            list.done(TForm8::ResultCancel);
            QCoreApplication::processEvents();
        }

        // Closing the list as the main screen does, the connection switched
        // off after it: the unread rows of the 100,000 are not read.
        const long beforeOpening = bench::residentKb();
        list.show();
        ok = painted.waitForRows() && ok;
        list.done(TForm8::ResultCancel);
        dm.FDConnection1.setConnected(false);
        QCoreApplication::processEvents();
        const long afterClosing = bench::residentKb();
        ok = ok && dm.FDQ_1.fetchedCount() < kSuppliers;

        // One keystroke in the name box: the first character of a surname.
        list.show();
        painted.waitForRows();
        std::vector<double> keystroke;
        for (int i = 0; i < kRuns; ++i) {
            list.E_NAME->clear();
            painted.reset();
            painted.waitForRows();
            painted.reset();
            QElapsedTimer t;
            t.start();
            const QString character = QString::fromUtf8(bench::kSurnames[i % 20][1]).left(1);
            commit(list.E_NAME, character);
            ok = painted.waitForRows() && ok;
            keystroke.push_back(double(t.nsecsElapsed()) / 1e6);
            ok = ok && list.DBGrid1->model()->index(0, 2).data().toString().contains(character);
        }

        // The whole list, scrolled to its end.
        list.E_NAME->clear();
        painted.reset();
        painted.waitForRows();
        const long before = bench::residentKb();
        QAbstractItemModel* model = list.DBGrid1->model();
        while (model->canFetchMore({}))
            model->fetchMore({});
        list.DBGrid1->scrollToBottom();
        QCoreApplication::processEvents();
        const long after = bench::residentKb();
        ok = ok && model->rowCount() == kSuppliers;

        // Every row to a file.
        QTemporaryDir files;
        const QString path = files.filePath(QStringLiteral("list.csv"));
        QElapsedTimer t;
        t.start();
        ok = list.ExportTo(path) && ok;
        const double exportSeconds = double(t.nsecsElapsed()) / 1e9;
        list.done(TForm8::ResultCancel);

        if (!ok) {
            std::fprintf(stderr, "bench_list: the list did not show its rows or write its file\n");
            return 1;
        }
        std::printf("list_open_first_rows_median: %.1f ms\n", bench::median(open));
        std::printf("list_filter_keystroke_median: %.1f ms\n", bench::median(keystroke));
        std::printf("list_export_all: %.2f s\n", exportSeconds);
        std::printf("list_whole_list_memory_growth: %.1f MB\n", double(after - before) / 1024.0);
        std::printf("list_memory_after_closing_vs_before_opening: %.1f MB\n",
                    double(afterClosing - beforeOpening) / 1024.0);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_list: %s\n", e.what());
        return 1;
    }
}
