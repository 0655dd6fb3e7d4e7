#include "bench/BenchSupport.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QWidget>

#include <algorithm>
#include <cstdio>

#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "dialogs/Fonts.h"

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

int RunScreenBenchmark(int argc, char* argv[], const char* benchmark, const QString& root,
                       const std::function<void(db::Connection&)>& fill, const std::function<int()>& body)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    try {
        if (!PrepareSuite(benchmark, root, fill))
            return 1;
        return body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", benchmark, e.what());
        return 1;
    }
}

void FillListSuite(db::Connection& conn)
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
    for (int code = 1; code <= kListSuppliers; ++code) {
        const auto& surname = kSurnames[code % 20];
        const auto& trade = kTrades[(code / 20) % 5];
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

std::vector<double> ShowingTimes(QDialog& list, PaintWatch& painted, int runs, int cancel, bool& ok)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        painted.reset();
        QElapsedTimer t;
        t.start();
        list.show();
        ok = painted.waitForRows() && ok;
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        list.done(cancel);
        QCoreApplication::processEvents();
    }
    return times;
}

long ReadWholeList(QTableView* grid, PaintWatch& painted, int& rows)
{
    painted.reset();
    painted.waitForRows();
    const long before = residentKb();
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    grid->scrollToBottom();
    QCoreApplication::processEvents();
    rows = model->rowCount();
    return residentKb() - before;
}

} // namespace bench
