#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QTableView;
class QWidget;

namespace db {
class Connection;
}

// What several benchmarks share: the connection to the private server, the
// large suite databases made once and kept, and a few measuring aids.
namespace bench {

// The parameter list of a connection to a database file on the private server.
QStringList suiteParams(const QString& path);

// The suite database root/VORNALIX.FDB, made once: when it is not there yet,
// an empty suite is created beside it, filled by fill in one transaction and
// only then given its name, so that an interrupted run leaves no half-filled
// suite behind. False when the empty suite cannot be created.
bool MakeSuiteOnce(const QString& root, const std::function<void(db::Connection&)>& fill);
// MakeSuiteOnce, saying on standard error when it fails which benchmark could
// not make its suite.
bool PrepareSuite(const char* benchmark, const QString& root,
                  const std::function<void(db::Connection&)>& fill);

// The frame of a benchmark of the screens: the application on the offscreen
// platform with the program's font substitutions, the suite root/VORNALIX.FDB
// made once by fill, then body. An error is said on standard error under the
// benchmark's name. The exit status: body's, or 1 after an error.
int RunScreenBenchmark(int argc, char* argv[], const char* benchmark, const QString& root,
                       const std::function<void(db::Connection&)>& fill, const std::function<int()>& body);

// A main window of an office screen's size, shown, for the forms to sit on.
std::unique_ptr<QWidget> ShowMainWindow();

// Common surnames and trades, each as its half-width reading and its name,
// for made-up supplier names: supplier code picks kSurnames[code % 20] and
// kTrades[code / 20 % 5], so one surname stands in one supplier of twenty.
inline constexpr const char* kSurnames[20][2] = {
    {"ﾀﾅｶ", "田中"},  {"ｽｽﾞｷ", "鈴木"},  {"ｻﾄｳ", "佐藤"},   {"ﾔﾏﾀﾞ", "山田"}, {"ﾜﾀﾅﾍﾞ", "渡辺"},
    {"ｲﾄｳ", "伊藤"},  {"ﾅｶﾑﾗ", "中村"},  {"ｺﾊﾞﾔｼ", "小林"}, {"ｶﾄｳ", "加藤"},  {"ﾖｼﾀﾞ", "吉田"},
    {"ﾔﾏﾓﾄ", "山本"}, {"ｻｻｷ", "佐々木"}, {"ﾏﾂﾓﾄ", "松本"},  {"ｲﾉｳｴ", "井上"}, {"ｷﾑﾗ", "木村"},
    {"ﾊﾔｼ", "林"},    {"ｼﾐｽﾞ", "清水"},  {"ﾔﾏｸﾞﾁ", "山口"}, {"ﾓﾘ", "森"},     {"ｲｹﾀﾞ", "池田"},
};
inline constexpr const char* kTrades[5][2] = {
    {"ｹﾝｾﾂ", "建設"}, {"ｺｳﾑﾃﾝ", "工務店"}, {"ﾃﾞﾝｷ", "電気"}, {"ｾﾂﾋﾞ", "設備"}, {"ﾄｿｳ", "塗装"},
};

// The suite of the list benchmarks: 100,000 live suppliers whose records are
// filled as an office fills them (names, addresses, contacts, bank, trade
// type, invoice number, e-mail), with the surnames and trades below.
inline constexpr int kListSuppliers = 100000;
void FillListSuite(db::Connection& conn);

// The middle value, or the mean of the middle two.
double median(std::vector<double> v);

// The program's resident memory in kilobytes.
long residentKb();

// Notes when the grid paints with rows to show.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QTableView* grid);
    void reset() { m_painted = false; }
    // Lets the program run until the grid has painted rows.
    bool waitForRows();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableView* m_grid;
    bool m_painted = false;
};

// Shows list runs times, each time until its grid has painted rows, and
// ends it with the result cancel: the times in milliseconds. ok is cleared
// when a showing painted no rows.
std::vector<double> ShowingTimes(QDialog& list, PaintWatch& painted, int runs, int cancel, bool& ok);

// The whole list of grid read and scrolled to its end, as a clerk paging
// through it, once its first rows are painted: the resident memory that added,
// in kilobytes. rows gets how many rows the list then holds.
long ReadWholeList(QTableView* grid, PaintWatch& painted, int& rows);

} // namespace bench
