#pragma once

// A supplier file as another system would export it, made from the national
// corporate-number data of Tottori prefecture: one line per corporation, its
// sequence number as the supplier code, the reading in half-width katakana
// (cut to the 20 bytes of the reading column), the name, the postal code and
// the address. Code page 932, CR LF, a heading line the mapping recognises.
// Shared by the import's tests and its benchmark.

#include <QFile>
#include <QStringList>

#include "import/TextImport.h"
#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

namespace testing {

struct SourceCompany
{
    int code;
    QString name;
};

inline QString quotedCsv(QString value)
{
    return u'"' + value.replace(QLatin1String("\""), QLatin1String("\"\"")) + u'"';
}

// Writes the file; returns the companies in file order, empty when the
// source cannot be read or the file written.
inline QList<SourceCompany> WriteTottoriSuppliers(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QStringList lines{QStringLiteral("仕入先CD,ﾌﾘｶﾞﾅ,仕入先名１,〒,住所１,住所２")};
    QList<SourceCompany> companies;
    for (const QString& line : SplitLines(cp932::decode(in.readAll()))) {
        const QStringList v = textimport::SplitValues(line);
        if (v.size() < 29)
            continue;
        QString reading = ToHalfWidth(v[28]);
        while (cp932::encode(reading).size() > 20)
            reading.chop(1);
        const QString zip = v[15].size() == 7 ? v[15].left(3) + u'-' + v[15].mid(3) : v[15];
        lines << QStringList{v[0], reading, quotedCsv(v[6]), zip, quotedCsv(v[9] + v[10]), quotedCsv(v[11])}
                     .join(u',');
        companies << SourceCompany{v[0].toInt(), v[6]};
    }
    QFile out(target);
    const QByteArray bytes = cp932::encode(lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n"));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return {};
    return companies;
}

} // namespace testing
