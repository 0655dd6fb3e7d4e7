// The supplier search list on a large suite: with 100,000 live suppliers,
// the time from Enter in the search key box to the first rows painted in the
// grid, and from opening the list with both boxes empty to the first rows
// painted (median of 20 each), and what the program's memory grows by when
// the whole list has been scrolled through.

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/Fonts.h"
#include "search/trad_sel.h"

namespace {

constexpr int kSuppliers = 100000;
constexpr int kRuns = 20;

// The suite with 100,000 live suppliers.
void fillSuite(db::Connection& conn)
{
    db::BlockInsert insert(conn, QStringLiteral("MAS_SIIRE"),
                           {QStringLiteral("T_CD"), QStringLiteral("T_KEY"), QStringLiteral("T_NAME01"),
                            QStringLiteral("T_NAME03"), QStringLiteral("T_TEL"), QStringLiteral("T_FAX"),
                            QStringLiteral("KU_KOUSYU"), QStringLiteral("T_ADD_1"),
                            QStringLiteral("E_DATE01")});
    for (int code = 1; code <= kSuppliers; ++code) {
        const auto& surname = bench::kSurnames[code % 20];
        const auto& trade = bench::kTrades[(code / 20) % 5];
        const QString name = QString::fromUtf8(surname[1]) + QString::fromUtf8(trade[1]);
        insert.add(
            {code, QString::fromUtf8(surname[0]) + QString::fromUtf8(trade[0]),
             QStringLiteral("株式会社") + name + QString::number(code), name,
             QStringLiteral("0857-%1-%2").arg(code % 90 + 10).arg(code % 10000, 4, 10, QLatin1Char('0')),
             QStringLiteral("0857-%1-9999").arg(code % 90 + 10), 100 * (1 + code % 30) + code % 7,
             QStringLiteral("鳥取県鳥取市東町一丁目%1番地").arg(code % 500), QDate(2025, 1 + code % 12, 1)});
    }
    insert.flush();
}

void pressEnter(QWidget* box)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(box, &release);
}

} // namespace

int main(int argc, char* argv[])
{
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/search");
    return bench::RunScreenBenchmark(argc, argv, "bench_search", root, fillSuite, [&] {
        db::Connection suite;
        suite.params() = bench::suiteParams(root + QStringLiteral("/VORNALIX.FDB"));
        const std::unique_ptr<QWidget> main = bench::ShowMainWindow();
        Ttrad_sen2 list(suite, main.get());
        list.move(main->pos());
        bench::PaintWatch painted(list.DBGrid1);

        // Opening with both boxes empty: every live supplier.
        bool ok = true;
        const std::vector<double> open =
            bench::ShowingTimes(list, painted, kRuns, Ttrad_sen2::ResultCancel, ok);

        // Enter in the key box: a surname, about 5,000 suppliers each.
        list.show();
        painted.waitForRows();
        std::vector<double> key;
        for (int i = 0; i < kRuns; ++i) {
            list.Edit1->setText(QString::fromUtf8(bench::kSurnames[i % 20][0]));
            list.Edit1->setFocus();
            QCoreApplication::processEvents();
            painted.reset();
            QElapsedTimer t;
            t.start();
            pressEnter(list.Edit1);
            ok = painted.waitForRows() && ok;
            key.push_back(double(t.nsecsElapsed()) / 1e6);
        }

        // The whole list, scrolled to its end.
        list.Edit1->clear();
        list.Button1Click();
        int rows = 0;
        const long growth = bench::ReadWholeList(list.DBGrid1, painted, rows);
        ok = ok && rows == kSuppliers;
        list.done(Ttrad_sen2::ResultCancel);

        if (!ok) {
            std::fprintf(stderr, "bench_search: a search did not show its rows\n");
            return 1;
        }
        std::printf("search_key_first_rows_median: %.1f ms\n", bench::median(key));
        std::printf("search_open_first_rows_median: %.1f ms\n", bench::median(open));
        std::printf("search_whole_list_memory_growth: %.1f MB\n", double(growth) / 1024.0);
        return 0;
    });
}
