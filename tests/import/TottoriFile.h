#pragma once

// Suppliers as another system would export them, from the corporate-number
// data of Tottori prefecture: the sequence number as the code, the reading
// half-width (cut to its column's 20 bytes), name, postal code and address.

#include <QFile>
#include <QStringList>

#include "import/TextImport.h"
#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

namespace testing {

// The suppliers in file order, each as code, reading, name, postal code,
// address line 1 and 2; empty when the source cannot be read.
inline QList<QStringList> TottoriSuppliers(const QString& source)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> suppliers;
    for (const QString& line : SplitLines(cp932::decode(in.readAll()))) {
        const QStringList v = textimport::SplitValues(line);
        if (v.size() < 29)
            continue;
        QString reading = ToHalfWidth(v[28]);
        while (cp932::encode(reading).size() > 20)
            reading.chop(1);
        const QString zip = v[15].size() == 7 ? v[15].left(3) + u'-' + v[15].mid(3) : v[15];
        suppliers << QStringList{v[0], reading, v[6], zip, v[9] + v[10], v[11]};
    }
    return suppliers;
}

// Writes them to target as a supplier file: code page 932, CR LF, every
// value quoted, a heading line the mapping recognises. Returns them, empty
// when the source cannot be read or the file written.
inline QList<QStringList> WriteTottoriSuppliers(const QString& source, const QString& target)
{
    const QList<QStringList> suppliers = TottoriSuppliers(source);
    QString text = QStringLiteral("仕入先CD,ﾌﾘｶﾞﾅ,仕入先名１,〒,住所１,住所２\r\n");
    for (QStringList values : suppliers) {
        for (QString& v : values)
            v = u'"' + v.replace(QLatin1String("\""), QLatin1String("\"\"")) + u'"';
        text += values.join(u',') + QLatin1String("\r\n");
    }
    QFile out(target);
    const QByteArray bytes = cp932::encode(text);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return {};
    return suppliers;
}

} // namespace testing
