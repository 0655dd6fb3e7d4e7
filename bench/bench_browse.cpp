// Browsing a large supplier table: with 100,000 suppliers in the suite
// database, the previous and next supplier (F6, F7) from the middle of the
// table and the load of one supplier by its code, as the main screen runs
// them; and registration's duplicate check (same invoice number, telephone
// or fax number, name) of a supplier that matches stored ones on every key,
// on an open connection and, as F3 runs it, after switching it off (beside
// what reading one row costs after the same reconnect). Median of 50 of
// each. The first run also times the building of the check's indexes, which
// a suite gets once, on the first start that lacks them.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "db/BlockInsert.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "dialogs/MESSAGE_FROM.h"
#include "suite/SchemaChecks.h"
#include "suite/Unit2.h"
#include "supplier/Duplicates.h"
#include "supplier/Unit1.h"

namespace {

constexpr int kSuppliers = 100000;
constexpr int kRuns = 50;

// The suite with 100,000 suppliers, every tenth one deleted.
void fillSuite(db::Connection& conn)
{
    db::BlockInsert insert(conn, QStringLiteral("MAS_SIIRE"),
                           {QStringLiteral("T_CD"), QStringLiteral("T_KEY"), QStringLiteral("T_NAME01"),
                            QStringLiteral("T_ADD_1"), QStringLiteral("T_TEL"), QStringLiteral("KU_SIME"),
                            QStringLiteral("KU_TAX"), QStringLiteral("KIN_X1"), QStringLiteral("E_DATE01"),
                            QStringLiteral("E_DATE04"), QStringLiteral("INBOICE")});
    for (int code = 1; code <= kSuppliers; ++code)
        insert.add({code, QStringLiteral("ﾔﾏﾀﾞｹﾝｾﾂ%1").arg(code),
                    QStringLiteral("株式会社山田建設%1").arg(code),
                    QStringLiteral("鳥取県鳥取市東町一丁目%1番地").arg(code % 500),
                    QStringLiteral("0857-22-%1").arg(code % 10000), 31, 0, 660.0,
                    QDate(2025, 1 + code % 12, 1 + code % 28),
                    code % 10 == 0 ? QVariant(QDate(2026, 1, 1)) : QVariant(),
                    QStringLiteral("T%1").arg(7000000000000LL + code)});
    insert.flush();
    db::Query q(conn);
    q.setSql(QStringLiteral("SET GENERATOR GYOUSYA_ID TO %1").arg(kSuppliers));
    q.execute();
}

std::vector<double> measure(const std::function<void(int)>& step)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        step(i);
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return times;
}

} // namespace

int main(int argc, char* argv[])
{
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/browse");
    return bench::RunScreenBenchmark(argc, argv, "bench_browse", root, fillSuite, [&] {
        {
            // The check's indexes, built here when the suite has none yet
            // rather than unmeasured on the screen's first showing.
            db::Connection conn;
            conn.setParams(bench::suiteParams(root + QStringLiteral("/VORNALIX.FDB")));
            if (!db::HasIndex(conn, QStringLiteral("MAS_SIIRE"), QStringLiteral("IX_MAS_SIIRE_NAME_KEY"))) {
                db::Query statements(conn);
                QElapsedTimer t;
                t.start();
                if (!RunSchemaChecks(conn, statements).empty()) {
                    std::fprintf(stderr, "bench_browse: the schema checks failed\n");
                    return 1;
                }
                std::printf("duplicate_indexes_build: %.1f s\n", double(t.elapsed()) / 1000);
            }
        }
        QDir().mkpath(root + QStringLiteral("/VELDRUN"));
        QDir::setCurrent(root + QStringLiteral("/VELDRUN"));
        TDM2 dm;
        TForm1 form;
        CreateForms(form, dm);
        form.show();

        const int middle = kSuppliers / 2 + 5;
        bool ok = true;
        const auto previous = measure([&](int i) {
            form.BAN_01->setText(QString::number(middle - 2 * i));
            form.SB06Click();
            ok = ok && form.BAN_01->text().toInt() < middle - 2 * i;
        });
        const auto next = measure([&](int i) {
            form.BAN_01->setText(QString::number(middle + 2 * i));
            form.SB07Click();
            ok = ok && form.BAN_01->text().toInt() > middle + 2 * i;
        });
        const auto load = measure([&](int i) {
            form.BAN_01->setText(QString::number(middle + 7 * i + 1));
            form.Button1Click();
            ok = ok && !form.ED_02_1->text().isEmpty();
        });
        // A supplier typed again: its name in another form, its telephone
        // number (shared by ten suppliers) and its invoice number.
        const auto probe = [&](int i) {
            const int code = middle + 10 * i + 1; // a live one: every tenth is deleted
            return DuplicateProbe{0, QStringLiteral("T%1").arg(7000000000000LL + code),
                                  QStringLiteral("0857-22-%1").arg(code % 10000), QString(),
                                  QStringLiteral("山田建設%1（株）").arg(code)};
        };
        db::Connection& suite = DM2->FDConnection1;
        const auto duplicates =
            measure([&](int i) { ok = ok && FindDuplicates(suite, probe(i)).size() >= 2; });
        const auto duplicatesReconnecting = measure([&](int i) {
            suite.setConnected(false); // as F3 does before it looks
            ok = ok && FindDuplicates(suite, probe(i)).size() >= 2;
        });
        // What the first statement after that reconnect costs without the
        // check: registration's own write pays it.
        const auto reconnect = measure([&](int i) {
            suite.setConnected(false);
            db::Query q(suite);
            q.setSql(QStringLiteral("select T_NAME01 from MAS_SIIRE where T_CD = %1").arg(middle + i));
            q.open();
            ok = ok && !q.isEmpty();
        });
        if (!ok) {
            std::fprintf(stderr, "bench_browse: a step did not show the supplier it should\n");
            return 1;
        }
        std::printf("browse_previous_median: %.1f ms\n", bench::median(previous));
        std::printf("browse_next_median: %.1f ms\n", bench::median(next));
        std::printf("load_by_code_median: %.1f ms\n", bench::median(load));
        std::printf("duplicate_check_median: %.1f ms\n", bench::median(duplicates));
        std::printf("duplicate_check_max: %.1f ms\n",
                    *std::max_element(duplicates.begin(), duplicates.end()));
        std::printf("duplicate_check_after_reconnect_median: %.1f ms\n",
                    bench::median(duplicatesReconnecting));
        std::printf("reconnect_and_one_row_median: %.1f ms\n", bench::median(reconnect));
        return 0;
    });
}
