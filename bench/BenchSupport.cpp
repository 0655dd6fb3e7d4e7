#include "bench/BenchSupport.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QWidget>

#include <algorithm>
#include <cstdio>

#include "db/Connection.h"

namespace bench {

QStringList suiteParams(const QString& path)
{
    return {QStringLiteral("Database=") + path,   QStringLiteral("User_Name=sysdba"),
            QStringLiteral("Password=zorquemit"), QStringLiteral("Server=127.0.0.1"),
            QStringLiteral("Protocol=TCPIP"),     QStringLiteral("Port=3060"),
            QStringLiteral("DriverID=FB")};
}

bool MakeSuiteOnce(const QString& root, const std::function<void(db::Connection&)>& fill)
{
    const QString path = root + QStringLiteral("/VORNALIX.FDB");
    if (QFile::exists(path))
        return true;
    QDir().mkpath(root);
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    if (QProcess::execute(QStringLiteral(VELDRUN_SUITE_DB_SCRIPT), {partial}) != 0)
        return false;
    db::Connection conn;
    conn.params() = suiteParams(partial);
    conn.startTransaction();
    fill(conn);
    conn.commit();
    conn.disconnect();
    return QFile::rename(partial, path);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

PaintWatch::PaintWatch(QTableView* grid) : m_grid(grid)
{
    grid->viewport()->installEventFilter(this);
}

bool PaintWatch::waitForRows()
{
    QElapsedTimer limit;
    limit.start();
    while (!m_painted && limit.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return m_painted;
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched == m_grid->viewport() && m_grid->model() &&
        m_grid->model()->rowCount() > 0)
        m_painted = true;
    return false;
}

bool PrepareSuite(const char* benchmark, const QString& root,
                  const std::function<void(db::Connection&)>& fill)
{
    if (MakeSuiteOnce(root, fill))
        return true;
    std::fprintf(stderr, "%s: cannot make the suite database\n", benchmark);
    return false;
}

std::unique_ptr<QWidget> ShowMainWindow()
{
    auto main = std::make_unique<QWidget>();
    main->setGeometry(0, 0, 1200, 800);
    main->show();
    return main;
}

} // namespace bench
