#include "supplier/Duplicates.h"

#include <QMap>

#include "db/Query.h"
#include "suite/SupplierKeys.h"
#include "supplier/Registration.h"
#include "supplier/SupplierRecord.h"

namespace {

// What matched, in the order the question names it.
enum Kind { Invoice, Tel, Fax, Name, KindCount };

QString kindLabel(int kind)
{
    switch (kind) {
    case Invoice:
        return QStringLiteral("インボイス番号");
    case Tel:
        return QStringLiteral("電話番号");
    case Fax:
        return QStringLiteral("FAX番号");
    default:
        return QStringLiteral("仕入先名");
    }
}

// A number's key when it is worth comparing: long enough to name something,
// and no longer than the server's key of a stored number can be.
QString comparedDigits(const QString& number)
{
    const QString key = DigitsKey(number);
    return key.size() >= kMinComparedDigits && key.size() <= kDigitPositions ? key : QString();
}

} // namespace

DuplicateLookup DuplicateStatement(const DuplicateProbe& probe, int limit)
{
    DuplicateLookup lookup;
    const QString invoice = comparedDigits(probe.invoice);
    QStringList numbers;
    for (const QString& number : {probe.tel, probe.fax})
        if (const QString key = comparedDigits(number); !key.isEmpty() && !numbers.contains(key))
            numbers << key;
    QList<QByteArray> names;
    for (const QByteArray& key : NameKeys(probe.name))
        if (key.size() <= FindSupplierColumn(QStringLiteral("T_NAME01"))->width)
            names << key; // a longer one is no stored name's key

    // A telephone number may be the other's fax number, and the other way round.
    QStringList branches;
    const auto branch = [&](Kind kind, const QString& condition) {
        // Ordered by an expression, so that the rows come from the key's
        // index and are sorted, not read along the codes' index.
        branches << QStringLiteral(
                        "SELECT %1 AS MATCHED, D.T_CD, D.T_NAME01, D.T_NAME02 FROM "
                        "(SELECT FIRST %2 T_CD, T_NAME01, T_NAME02 FROM MAS_SIIRE WHERE %3 "
                        "AND E_DATE04 IS NULL AND T_CD <> :SELF AND T_CD <> 0 ORDER BY T_CD + 0) D")
                        .arg(kind)
                        .arg(limit)
                        .arg(condition);
    };
    if (!invoice.isEmpty()) {
        branch(Invoice, DigitsKeySql(QStringLiteral("INBOICE")) + QStringLiteral(" = :INVOICE"));
        lookup.params.insert(QStringLiteral("INVOICE"), invoice);
    }
    // Each key of a kind bound as a parameter of its own: "expression IN (:NUMBER1, :NUMBER2)".
    const auto among = [&lookup](const QString& kind, const QVariantList& keys) {
        QStringList markers;
        for (int i = 0; i < keys.size(); ++i) {
            markers << QStringLiteral(":%1%2").arg(kind).arg(i + 1);
            lookup.params.insert(QStringLiteral("%1%2").arg(kind).arg(i + 1), keys[i]);
        }
        return QStringLiteral(") IN (%1)").arg(markers.join(QStringLiteral(", ")));
    };
    if (!numbers.isEmpty()) {
        const QString in = among(QStringLiteral("NUMBER"), QVariant(numbers).toList());
        branch(Tel, u'(' + DigitsKeySql(QStringLiteral("T_TEL")) + in);
        branch(Fax, u'(' + DigitsKeySql(QStringLiteral("T_FAX")) + in);
    }
    if (!names.isEmpty()) {
        QVariantList keys; // their bytes as they are
        for (const QByteArray& key : names)
            keys << key;
        branch(Name, u'(' + NameKeySql(QStringLiteral("T_NAME01")) + among(QStringLiteral("NAME"), keys));
    }
    if (branches.isEmpty())
        return {};
    lookup.params.insert(QStringLiteral("SELF"), probe.code);
    lookup.sql = branches.join(QStringLiteral("\nUNION ALL\n"));
    return lookup;
}

QList<DuplicateMatch> FindDuplicates(db::Connection& suite, const DuplicateProbe& probe, int limit)
{
    const DuplicateLookup lookup = DuplicateStatement(probe, limit);
    if (lookup.sql.isEmpty())
        return {};
    db::Query q(suite);
    q.setSql(lookup.sql);
    q.setParams(lookup.params);
    q.open();

    QMap<int, DuplicateMatch> byCode; // in code order
    QMap<int, int> kinds;             // what matched, a bit per kind
    for (; !q.eof(); q.next()) {
        const int code = q.field(QStringLiteral("T_CD")).asInteger();
        DuplicateMatch& m = byCode[code];
        if (m.code == 0) {
            m.code = code;
            const QString first = q.field(QStringLiteral("T_NAME01")).asString().trimmed();
            m.name = first.isEmpty() ? q.field(QStringLiteral("T_NAME02")).asString().trimmed()
                                     : AbbreviateName(first);
        }
        kinds[code] |= 1 << q.field(QStringLiteral("MATCHED")).asInteger();
    }
    QList<DuplicateMatch> matches;
    for (DuplicateMatch& m : byCode) {
        if (matches.size() == limit)
            break;
        for (int kind = 0; kind < KindCount; ++kind)
            if (kinds[m.code] & (1 << kind))
                m.matched << kindLabel(kind);
        matches << m;
    }
    return matches;
}

QString DuplicateQuestion(const QList<DuplicateMatch>& matches)
{
    QString text = QStringLiteral("次の仕入先と重複している可能性があります。\n");
    for (const DuplicateMatch& m : matches)
        text += QStringLiteral("  %1 %2（%3）\n").arg(m.code).arg(m.name, m.matched.join(u'・'));
    return text + QStringLiteral("登録しますか？");
}
