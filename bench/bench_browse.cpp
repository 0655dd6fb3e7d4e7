// Browsing a large supplier table: with 100,000 suppliers in the suite
// database, the previous and next supplier (F6, F7) from the middle of the
// table and the load of one supplier by its code, as the main screen runs
// them. Median of 50 of each.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>

#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "db/BlockInsert.h"
#include "db/Query.h"
#include "dialogs/MESSAGE_FROM.h"
#include "suite/Unit2.h"
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
                            QStringLiteral("E_DATE04")});
    for (int code = 1; code <= kSuppliers; ++code)
        insert.add({code, QStringLiteral("ﾔﾏﾀﾞｹﾝｾﾂ%1").arg(code),
                    QStringLiteral("株式会社山田建設%1").arg(code),
                    QStringLiteral("鳥取県鳥取市東町一丁目%1番地").arg(code % 500),
                    QStringLiteral("0857-22-%1").arg(code % 10000), 31, 0, 660.0,
                    QDate(2025, 1 + code % 12, 1 + code % 28),
                    code % 10 == 0 ? QVariant(QDate(2026, 1, 1)) : QVariant()});
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/browse");
    try {
        if (!bench::PrepareSuite("bench_browse", root, fillSuite))
            return 1;
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
        if (!ok) {
            std::fprintf(stderr, "bench_browse: a step did not show the supplier it should\n");
            return 1;
        }
        std::printf("browse_previous_median: %.1f ms\n", bench::median(previous));
        std::printf("browse_next_median: %.1f ms\n", bench::median(next));
        std::printf("load_by_code_median: %.1f ms\n", bench::median(load));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_browse: %s\n", e.what());
        return 1;
    }
}
