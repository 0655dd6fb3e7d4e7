// The supplier list table on a large suite: with 100,000 live suppliers
// whose records are filled as an office fills them, the time from showing
// the list to its first rows painted, and from one keystroke in the name
// filter to the narrowed rows painted (median of 20 each); what the
// program's memory grows by when the whole list has been scrolled through,
// and by when the list is closed and the connection switched off (nothing
// more should be read then); and the export of every row to a CSV file.

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include "bench/BenchSupport.h"
#include "db/Connection.h"
#include "dialogs/Fonts.h"
#include "search/Unit8.h"
#include "suite/Unit2.h"

namespace {

constexpr int kSuppliers = bench::kListSuppliers;
constexpr int kRuns = 20;

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
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/list");
    return bench::RunScreenBenchmark(argc, argv, "bench_list", root, bench::FillListSuite, [&] {
        TDM2 dm;
        dm.FDConnection1.params() = bench::suiteParams(root + QStringLiteral("/VORNALIX.FDB"));
        const std::unique_ptr<QWidget> main = bench::ShowMainWindow();
        TForm8 list(dm, main.get());
        bench::PaintWatch painted(list.DBGrid1);
        bool ok = true;

        // Showing the list: every live supplier.
        const std::vector<double> open = bench::ShowingTimes(list, painted, kRuns, TForm8::ResultCancel, ok);

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
        int rows = 0;
        const long growth = bench::ReadWholeList(list.DBGrid1, painted, rows);
        ok = ok && rows == kSuppliers;

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
        std::printf("list_whole_list_memory_growth: %.1f MB\n", double(growth) / 1024.0);
        std::printf("list_memory_after_closing_vs_before_opening: %.1f MB\n",
                    double(afterClosing - beforeOpening) / 1024.0);
        return 0;
    });
}
