#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {
class Connection;
class Query;
} // namespace db

// One column of the supplier table MAS_SIIRE as the program treats it.
struct SupplierColumn
{
    enum class Kind { Integer, SmallInt, Text, FixedText, Double, Date };
    QString name;
    Kind kind;
    int width = 0; // bytes of a text column
};

// Every column of MAS_SIIRE, in table order.
const QList<SupplierColumn>& SupplierColumns();
const SupplierColumn* FindSupplierColumn(const QString& name);

// One row of MAS_SIIRE, or the part of one that a command writes. A column
// may be absent (not written), null (an invalid QVariant) or hold a value.
// A supplier is live while its deletion date E_DATE04 is null; code 0 is
// never offered as a supplier.
class SupplierRecord
{
public:
    bool contains(const QString& column) const { return m_values.contains(column); }
    QVariant value(const QString& column) const { return m_values.value(column); }
    bool isNull(const QString& column) const;
    void setValue(const QString& column, const QVariant& value);
    void setNull(const QString& column) { setValue(column, QVariant()); }
    // The columns set, in table order.
    QStringList columns() const;

    int code() const { return value(QStringLiteral("T_CD")).toInt(); }
    bool isLive() const { return isNull(QStringLiteral("E_DATE04")); }

    // Every column of the query's current row that belongs to the table.
    static SupplierRecord fromQuery(db::Query& query);

private:
    QHash<QString, QVariant> m_values;
};

// Writing a supplier, inside the caller's transaction.
//
// A new supplier gets its code from the generator GYOUSYA_ID through the
// insert's RETURNING clause; every column the record does not give is null.
int InsertSupplier(db::Connection& connection, const SupplierRecord& record);
// An existing supplier: each column the record gives is set (a null clears
// it), the others keep what is stored. A code whose row has gone is inserted
// again under the same code first.
void UpdateSupplier(db::Connection& connection, int code, const SupplierRecord& record);

// Deletes a supplier the suite's way: the row stays, stamped with the
// deletion date and the workstation, and every list leaves it out from then
// on. False when there is no such row. In a transaction of its own whose
// statement waits at most lockWaitSeconds for a row another workstation
// holds; throws db::Error (isLockConflict() when that wait ran out).
bool DeleteSupplier(db::Connection& connection, int code, const QDateTime& now, const QString& computerName,
                    int lockWaitSeconds);
