#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <vector>

class QTableView;

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

} // namespace bench
