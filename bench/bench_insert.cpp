// Insert throughput into a supplier-shaped table on the private server:
// 100,000 rows in one transaction, written three ways.
//   literal  - a literal INSERT per row, prepared each time (a naive port)
//   prepared - one prepared statement, executed per row with parameters
//   block    - several rows per round trip (EXECUTE BLOCK with parameters)

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <functional>

#include "bench/BenchSupport.h"
#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"

namespace {

constexpr int kRows = 100000;

const QStringList kColumns = {QStringLiteral("T_CD"),     QStringLiteral("T_KEY"),
                              QStringLiteral("T_NAME01"), QStringLiteral("T_ZIP_CD"),
                              QStringLiteral("T_ADD_1"),  QStringLiteral("T_TEL"),
                              QStringLiteral("T_FAX"),    QStringLiteral("KU_SIME"),
                              QStringLiteral("KIN_01"),   QStringLiteral("E_DATE01")};

// A believable supplier row, different for every code.
QVariantList row(int code)
{
    static const QStringList kinds = {QStringLiteral("株式会社"), QStringLiteral("有限会社"),
                                      QStringLiteral("合同会社")};
    static const QStringList trades = {QStringLiteral("建設"), QStringLiteral("工務店"),
                                       QStringLiteral("設備"), QStringLiteral("電気工業"),
                                       QStringLiteral("塗装"), QStringLiteral("O'Neil内装")};
    const QString tel =
        QStringLiteral("0857-%1-%2").arg(20 + code % 70).arg(code % 10000, 4, 10, QLatin1Char('0'));
    return {code,
            QStringLiteral("ﾔﾏﾀﾞｹﾝｾﾂ%1").arg(code),
            kinds[code % 3] + QStringLiteral("山田") + trades[code % trades.size()] + QString::number(code),
            QStringLiteral("680-%1").arg(code % 10000, 4, 10, QLatin1Char('0')),
            QStringLiteral("鳥取県鳥取市東町一丁目%1番地").arg(code % 300),
            tel,
            tel,
            code % 2 ? 31 : 20,
            double(code % 15),
            QDate(2026, 1 + code % 12, 1 + code % 28)};
}

QString literal(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QString:
        return u'\'' + v.toString().replace(QLatin1String("'"), QLatin1String("''")) + u'\'';
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        return QStringLiteral("'%1/%2/%3'").arg(d.month()).arg(d.day()).arg(d.year());
    }
    default:
        return v.toString();
    }
}

void recreateTable(db::Connection& conn)
{
    db::Query q(conn);
    q.setSql(
        QStringLiteral("select count(*) as N from RDB$RELATIONS where RDB$RELATION_NAME = 'BENCH_SIIRE'"));
    q.open();
    if (q.field(QStringLiteral("N")).asInteger() > 0) {
        q.setSql(QStringLiteral("DROP TABLE BENCH_SIIRE"));
        q.execute();
    }
    q.setSql(QStringLiteral(
        "CREATE TABLE BENCH_SIIRE (T_CD INTEGER NOT NULL PRIMARY KEY, T_KEY VARCHAR(20), "
        "T_NAME01 VARCHAR(100), T_ZIP_CD VARCHAR(10), T_ADD_1 VARCHAR(100), T_TEL VARCHAR(14), "
        "T_FAX VARCHAR(14), KU_SIME SMALLINT, KIN_01 DOUBLE PRECISION, E_DATE01 DATE)"));
    q.execute();
}

// Rows per second of one way of inserting, measured in one transaction.
double measure(db::Connection& conn, const std::function<void(db::Connection&)>& insertAll)
{
    recreateTable(conn);
    QElapsedTimer timer;
    timer.start();
    conn.startTransaction();
    insertAll(conn);
    conn.commit();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    db::Query check(conn);
    check.setSql(QStringLiteral("select count(*) as N from BENCH_SIIRE"));
    check.open();
    if (check.field(QStringLiteral("N")).asInteger() != kRows)
        throw db::Error(QStringLiteral("row count mismatch"));
    return kRows / seconds;
}

} // namespace

int main()
{
    try {
        const QString dir = QStringLiteral(VELDRUN_BENCH_DIR);
        QDir().mkpath(dir);
        const QString path = dir + QStringLiteral("/bench_insert.fdb");
        QFile::remove(path);
        db::Connection conn;
        conn.params() = QStringList{QStringLiteral("CreateDatabase=true")} + bench::suiteParams(path);
        conn.connect();

        const double literalRate = measure(conn, [](db::Connection& c) {
            db::Query q(c);
            QStringList values;
            for (int code = 1; code <= kRows; ++code) {
                values.clear();
                for (const QVariant& v : row(code))
                    values << literal(v);
                q.setSql(QStringLiteral("INSERT INTO BENCH_SIIRE (%1) VALUES (%2)")
                             .arg(kColumns.join(u','), values.join(u',')));
                q.execute();
            }
        });
        const double preparedRate = measure(conn, [](db::Connection& c) {
            db::Query q(c);
            QStringList markers;
            for (const QString& col : kColumns)
                markers << u':' + col;
            q.setSql(QStringLiteral("INSERT INTO BENCH_SIIRE (%1) VALUES (%2)")
                         .arg(kColumns.join(u','), markers.join(u',')));
            for (int code = 1; code <= kRows; ++code) {
                const QVariantList values = row(code);
                for (int i = 0; i < kColumns.size(); ++i)
                    q.setParam(kColumns[i], values[i]);
                q.execute();
            }
        });
        int rowsPerBlock = 0;
        const double blockRate = measure(conn, [&rowsPerBlock](db::Connection& c) {
            db::BlockInsert insert(c, QStringLiteral("BENCH_SIIRE"), kColumns);
            rowsPerBlock = insert.rowsPerBlock();
            for (int code = 1; code <= kRows; ++code)
                insert.add(row(code));
            insert.flush();
        });

        std::printf("insert_literal_per_row: %.0f rows/s\n", literalRate);
        std::printf("insert_prepared_per_row: %.0f rows/s\n", preparedRate);
        std::printf("insert_execute_block: %.0f rows/s\n", blockRate);
        std::printf("insert_execute_block_rows_per_round_trip: %d rows\n", rowsPerBlock);
        std::printf("insert_prepared_vs_literal: %.1f x\n", preparedRate / literalRate);
        std::printf("insert_execute_block_vs_prepared: %.1f x\n", blockRate / preparedRate);
        std::printf("insert_execute_block_vs_literal: %.1f x\n", blockRate / literalRate);
        conn.disconnect();
        QFile::remove(path);
        return 0;
    } catch (const db::Error& e) {
        std::fprintf(stderr, "bench_insert: %s\n", e.what());
        return 1;
    }
}
