#include "supplier/SupplierRecord.h"

#include "db/Connection.h"
#include "db/Query.h"
#include "util/DateFields.h"

namespace {

using Kind = SupplierColumn::Kind;

// The new-supplier insert, line by line as the suite's programs know it.
const QStringList kInsert = {
    QStringLiteral("INSERT INTO MAS_SIIRE"),
    QStringLiteral("(T_CD,CD_SITEN,T_KEY,T_NAME01,T_NAME02,T_ZIP_CD,T_ADD_1,T_ADD_2,"),
    QStringLiteral("T_DAIHYOU,T_BUSYO,T_TANTOU,T_TEL,T_FAX,KU_KAISYU,KU_UKEOI,KU_SEIKYU,"),
    QStringLiteral("KU_KAMOKU,KU_KOUSYU,KU_T_KETA,KU_G_KETA,KU_TAX,KU_TAX_K,KU_KIN_K,"),
    QStringLiteral("GINKOU_CD,GINKOU_S_CD,GINKOU_NAME,GINKOU_S_NAME,GINKOU_KOUZA_CD,GINKOU_KOUZA_NAME,GINKOU_"
                   "KOUZA_MEIGI,"
                   "GINKOU_KOUZA_KANA,GINKOU_KOUZA_BANGOU,"),
    QStringLiteral(
        "BIKOU_01,BIKOU_02,BIKOU_03,BIKOU_04,BIKOU_05,KIN_01,KIN_02,KIN_03,KIN_X1,KIN_X2,KIN_X0,KU_SIME,"),
    QStringLiteral("KU_HARAI,e_date01,e_date02,e_date03,e_date04,PC_NAME,T_NAME03,E_MAILE,INBOICE,IB_KBN)"),
    QStringLiteral("values"),
    QStringLiteral("(GEN_ID(GYOUSYA_ID,1),:CD_SITEN,:T_KEY,:T_NAME01,:T_NAME02,:T_ZIP_CD,:T_ADD_1,:T_ADD_2,"),
    QStringLiteral(":T_DAIHYOU,:T_BUSYO,:T_TANTOU,:T_TEL,:T_FAX,:KU_KAISYU,:KU_UKEOI,:KU_SEIKYU,"),
    QStringLiteral(":KU_KAMOKU,:KU_KOUSYU,:KU_T_KETA,:KU_G_KETA,:KU_TAX,:KU_TAX_K,:KU_KIN_K,"),
    QStringLiteral(":GINKOU_CD,:GINKOU_S_CD,:GINKOU_NAME,:GINKOU_S_NAME,:GINKOU_KOUZA_CD,:GINKOU_KOUZA_NAME,"
                   ":GINKOU_KOUZA_MEIGI,:GINKOU_KOUZA_KANA,:GINKOU_KOUZA_BANGOU,"),
    QStringLiteral(
        ":BIKOU_01,:BIKOU_02,:BIKOU_03,:BIKOU_04,:BIKOU_05,:KIN_01,:KIN_02,:KIN_03,:KIN_X1,:KIN_X2,:KIN_X0,"
        ":KU_SIME,"),
    QStringLiteral(
        ":KU_HARAI,:e_date01,:e_date02,:e_date03,:e_date04,:PC_NAME,:T_NAME03,:E_MAILE,:INBOICE,:IB_KBN)  "
        "RETURNING T_CD"),
};

} // namespace

const QList<SupplierColumn>& SupplierColumns()
{
    static const QList<SupplierColumn> columns = {
        {QStringLiteral("T_CD"), Kind::Integer},
        {QStringLiteral("CD_SITEN"), Kind::SmallInt},
        {QStringLiteral("T_KEY"), Kind::Text, 20},
        {QStringLiteral("T_NAME01"), Kind::Text, 100},
        {QStringLiteral("T_NAME02"), Kind::Text, 100},
        {QStringLiteral("T_NAME03"), Kind::Text, 100},
        {QStringLiteral("T_ZIP_CD"), Kind::Text, 10},
        {QStringLiteral("T_ADD_1"), Kind::Text, 100},
        {QStringLiteral("T_ADD_2"), Kind::Text, 100},
        {QStringLiteral("T_DAIHYOU"), Kind::Text, 40},
        {QStringLiteral("T_BUSYO"), Kind::Text, 40},
        {QStringLiteral("T_TANTOU"), Kind::Text, 40},
        {QStringLiteral("T_TEL"), Kind::Text, 14},
        {QStringLiteral("T_FAX"), Kind::Text, 14},
        {QStringLiteral("BIKOU_01"), Kind::Text, 100},
        {QStringLiteral("BIKOU_02"), Kind::Text, 100},
        {QStringLiteral("BIKOU_03"), Kind::Text, 100},
        {QStringLiteral("BIKOU_04"), Kind::Text, 100},
        {QStringLiteral("BIKOU_05"), Kind::Text, 100},
        {QStringLiteral("KU_TAX"), Kind::SmallInt},
        {QStringLiteral("KU_TAX_K"), Kind::SmallInt},
        {QStringLiteral("KU_KAMOKU"), Kind::SmallInt},
        {QStringLiteral("KU_KOUSYU"), Kind::SmallInt},
        {QStringLiteral("KU_KAISYU"), Kind::SmallInt},
        {QStringLiteral("KU_SEIKYU"), Kind::SmallInt},
        {QStringLiteral("KU_KIN_K"), Kind::SmallInt},
        {QStringLiteral("KU_UKEOI"), Kind::SmallInt},
        {QStringLiteral("KU_SIME"), Kind::SmallInt},
        {QStringLiteral("KU_HARAI"), Kind::SmallInt},
        {QStringLiteral("KU_T_KETA"), Kind::SmallInt},
        {QStringLiteral("KU_G_KETA"), Kind::SmallInt},
        {QStringLiteral("KIN_01"), Kind::Double},
        {QStringLiteral("KIN_02"), Kind::Double},
        {QStringLiteral("KIN_03"), Kind::Double},
        {QStringLiteral("KIN_X0"), Kind::Double},
        {QStringLiteral("KIN_X1"), Kind::Double},
        {QStringLiteral("KIN_X2"), Kind::Double},
        {QStringLiteral("KIN"), Kind::Double},
        {QStringLiteral("GINKOU_CD"), Kind::Text, 10},
        {QStringLiteral("GINKOU_S_CD"), Kind::Text, 10},
        {QStringLiteral("GINKOU_NAME"), Kind::Text, 80},
        {QStringLiteral("GINKOU_S_NAME"), Kind::Text, 80},
        {QStringLiteral("GINKOU_KOUZA_CD"), Kind::SmallInt},
        {QStringLiteral("GINKOU_KOUZA_BANGOU"), Kind::Text, 10},
        {QStringLiteral("GINKOU_KOUZA_KANA"), Kind::Text, 80},
        {QStringLiteral("GINKOU_KOUZA_NAME"), Kind::Text, 10},
        {QStringLiteral("GINKOU_KOUZA_MEIGI"), Kind::Text, 80},
        {QStringLiteral("E_DATE01"), Kind::Date},
        {QStringLiteral("E_DATE02"), Kind::Date},
        {QStringLiteral("E_DATE03"), Kind::Date},
        {QStringLiteral("E_DATE04"), Kind::Date},
        {QStringLiteral("PC_NAME"), Kind::Text, 40},
        {QStringLiteral("E_MAILE"), Kind::FixedText, 120},
        {QStringLiteral("T_PASS"), Kind::Text, 20},
        {QStringLiteral("IB_KBN"), Kind::SmallInt},
        {QStringLiteral("INBOICE"), Kind::Text, 20},
    };
    return columns;
}

const SupplierColumn* FindSupplierColumn(const QString& name)
{
    for (const SupplierColumn& c : SupplierColumns())
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

bool SupplierRecord::isNull(const QString& column) const
{
    const QVariant v = m_values.value(column);
    return !v.isValid() || v.isNull();
}

void SupplierRecord::setValue(const QString& column, const QVariant& value)
{
    m_values.insert(column, value);
}

QStringList SupplierRecord::columns() const
{
    QStringList names;
    for (const SupplierColumn& c : SupplierColumns())
        if (m_values.contains(c.name))
            names << c.name;
    return names;
}

SupplierRecord SupplierRecord::fromQuery(db::Query& query)
{
    SupplierRecord r;
    for (const SupplierColumn& c : SupplierColumns())
        if (query.fieldIndex(c.name) >= 0)
            r.setValue(c.name, query.field(c.name).value());
    return r;
}

int InsertSupplier(db::Connection& connection, const SupplierRecord& record)
{
    db::Query q(connection);
    q.setSql(kInsert);
    const QStringList parameters = q.paramNames();
    for (const QString& column : record.columns())
        if (!record.isNull(column) && parameters.contains(column, Qt::CaseInsensitive))
            q.setParam(column, record.value(column)); // left unset, a parameter binds null
    q.open();
    return q.field(QStringLiteral("T_CD")).asInteger();
}

void UpdateSupplier(db::Connection& connection, int code, const SupplierRecord& record)
{
    db::Query q(connection);
    q.setCachedUpdates(true);
    const QString select = QStringLiteral("Select * from MAS_SIIRE where T_CD=%1").arg(code);
    q.setSql(select);
    q.open();
    if (q.isEmpty()) {
        db::Query insert(connection);
        insert.setSql(QStringLiteral("Insert into MAS_SIIRE (T_CD) Values ('%1')").arg(code));
        insert.execute();
        q.setSql(select);
        q.open();
    }
    q.edit();
    for (const QString& column : record.columns()) {
        if (column == QLatin1String("T_CD"))
            continue;
        if (record.isNull(column))
            q.field(column).clear();
        else
            q.field(column).setValue(record.value(column));
    }
    q.post();
    q.applyUpdates();
}

bool DeleteSupplier(db::Connection& connection, int code, const QDateTime& now, const QString& computerName,
                    int lockWaitSeconds)
{
    db::TransactionGuard transaction(connection, lockWaitSeconds);
    db::Query q(connection);
    q.setSql(QStringList{QStringLiteral("UPDATE MAS_SIIRE set e_date04=") + DateToSqlText(now, true),
                         QStringLiteral(",PC_NAME=:PC_NAME"), QStringLiteral("where T_CD=:T_CD")});
    q.setParam(QStringLiteral("PC_NAME"), computerName);
    q.setParam(QStringLiteral("T_CD"), code);
    q.execute();
    const bool deleted = q.rowsAffected() > 0;
    transaction.commit();
    return deleted;
}
