#include "suite/SchemaChecks.h"

#include "db/Query.h"
#include "db/Schema.h"
#include "suite/SupplierKeys.h"

QString SchemaCheckStatement(const QString& column, bool inSupplierTable, int length)
{
    if (column == QLatin1String("E_MAILE")) {
        if (!inSupplierTable)
            return QStringLiteral("ALTER TABLE LOOK_KIHON ADD E_MAILE Char(120)");
        return length < 120 ? QStringLiteral("ALTER TABLE LOOK_KIHON ADD E_MAILE Char(120) ") : QString();
    }
    if (column == QLatin1String("INBOICE")) {
        if (!inSupplierTable)
            return QStringLiteral("ALTER TABLE LOOK_KIHON ADD INBOICE Char(20)");
        return length < 20 ? QStringLiteral("ALTER TABLE LOOK_KIHON ADD INBOICE Char(20) ") : QString();
    }
    if (column == QLatin1String("IB_KBN"))
        return inSupplierTable ? QStringLiteral("ALTER TABLE LOOK_KIHON ADD IB_KBN SMALLINT") : QString();
    return {};
}

namespace {

// Whether MAS_SIIRE has column and its length in bytes (0 when it has not).
std::pair<bool, int> supplierColumn(db::Connection& suite, const QString& column)
{
    db::Query probe(suite);
    probe.setSql(QStringLiteral("SELECT F.RDB$FIELD_TYPE, F.RDB$FIELD_LENGTH FROM RDB$FIELDS F JOIN "
                                "RDB$RELATION_FIELDS RF ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE WHERE "
                                "RF.RDB$RELATION_NAME = 'MAS_SIIRE' AND RF.RDB$FIELD_NAME = '%1'")
                     .arg(column));
    probe.open();
    return {!probe.isEmpty(), probe.field(QStringLiteral("RDB$FIELD_LENGTH")).asInteger()};
}

const QString kSettingsColumns[] = {QStringLiteral("E_MAILE"), QStringLiteral("INBOICE"),
                                    QStringLiteral("IB_KBN")};

} // namespace

std::vector<std::exception_ptr> RunSchemaChecks(db::Connection& suite, db::Query& statements)
{
    std::vector<std::exception_ptr> failures;
    for (const QString& column : kSettingsColumns) {
        try {
            const auto [inSupplierTable, length] = supplierColumn(suite, column);
            const QString statement = SchemaCheckStatement(column, inSupplierTable, length);
            if (statement.isEmpty())
                continue;
            db::AddColumnIfMissing(suite, QStringLiteral("LOOK_KIHON"), column, [&] {
                statements.clearSql();
                statements.addSql(statement);
                statements.execute();
            });
        } catch (...) {
            failures.push_back(std::current_exception());
        }
    }

    // The indexes registration's duplicate check reads. An older suite gets
    // INBOICE from the search list's repair, and its index on a later start.
    const QString suppliers = QStringLiteral("MAS_SIIRE");
    for (const KeyIndex& index : SupplierKeyIndexes()) {
        try {
            if (!db::HasColumn(suite, suppliers, index.column))
                continue;
            db::AddIndexIfMissing(suite, suppliers, index.name, [&] {
                statements.clearSql();
                statements.addSql(CreateIndexStatement(index));
                statements.execute();
            });
        } catch (...) {
            failures.push_back(std::current_exception());
        }
    }
    return failures;
}

const std::vector<std::pair<QString, QString>>& SupplierColumnAdditions()
{
    static const std::vector<std::pair<QString, QString>> additions = {
        {QStringLiteral("E_MAILE"), QStringLiteral("ALTER TABLE MAS_SIIRE ADD E_MAILE Char(120)")},
        {QStringLiteral("T_PASS"), QStringLiteral("ALTER TABLE MAS_SIIRE ADD T_PASS VarChar(20)")},
        {QStringLiteral("IB_KBN"), QStringLiteral("ALTER TABLE MAS_SIIRE ADD IB_KBN SMALLINT")},
        {QStringLiteral("INBOICE"), QStringLiteral("ALTER TABLE MAS_SIIRE ADD INBOICE VarChar(20)")},
    };
    return additions;
}

QList<SchemaAddition> InspectSchemaAdditions(db::Connection& suite)
{
    const QString supplierTable = QStringLiteral("MAS_SIIRE");
    const QString settingsTable = QStringLiteral("LOOK_KIHON");
    QList<SchemaAddition> additions;
    for (const auto& [column, statement] : SupplierColumnAdditions())
        additions << SchemaAddition{supplierTable, column, db::HasColumn(suite, supplierTable, column)};
    // The settings columns follow the supplier table: only those a check would add count.
    for (const QString& column : kSettingsColumns) {
        const auto [inSupplierTable, length] = supplierColumn(suite, column);
        if (!SchemaCheckStatement(column, inSupplierTable, length).isEmpty())
            additions << SchemaAddition{settingsTable, column, db::HasColumn(suite, settingsTable, column)};
    }
    const QString postalTable = QStringLiteral("LOOK_ZIP");
    additions << SchemaAddition{postalTable, QStringLiteral("YOMI"),
                                db::HasColumn(suite, postalTable, QStringLiteral("YOMI"))};
    return additions;
}
