#include "search/CsvExport.h"

#include <QSaveFile>

#include "util/Cp932.h"

namespace csvexport {
namespace {

// The character at i, a surrogate pair taken whole.
qsizetype characterLength(QStringView text, qsizetype i)
{
    return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

QString Quoted(QStringView value)
{
    QString out;
    out.reserve(value.size() + 2);
    out += u'"';
    for (const QChar c : value) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

Writer::Writer(const QStringList& titles) : m_titles(titles)
{
    addLine(titles, 0);
}

void Writer::addRow(const QStringList& values)
{
    addLine(values, ++m_rows);
}

void Writer::addLine(const QStringList& values, int row)
{
    m_line.clear();
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            m_line += u',';
        m_line += Quoted(values[i]);
    }
    m_line += QLatin1String("\r\n");
    try {
        m_bytes += cp932::encode(m_line);
        return;
    } catch (const cp932::EncodeError&) {
        // Rare: find the values at fault and write the rest as it is.
    }
    QStringList kept = values;
    for (qsizetype column = 0; column < kept.size(); ++column) {
        QString first;
        if (cp932::canEncode(kept[column], &first))
            continue;
        m_unwritable << Unwritable{row, int(column), values.value(0), first};
        const QString value = kept[column];
        QString replaced;
        for (qsizetype i = 0; i < value.size();) {
            const qsizetype n = characterLength(value, i);
            const QStringView character = QStringView(value).mid(i, n);
            if (cp932::canEncode(character))
                replaced += character;
            else
                replaced += u'?';
            i += n;
        }
        kept[column] = replaced;
    }
    m_line.clear();
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (i > 0)
            m_line += u',';
        m_line += Quoted(kept[i]);
    }
    m_line += QLatin1String("\r\n");
    m_bytes += cp932::encode(m_line);
}

QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // A file the clerk may overwrite in a folder where nothing new may be created.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString ReplaceQuestion(const Writer& writer, int listed)
{
    const QList<Unwritable>& all = writer.unwritable();
    QString text =
        QStringLiteral("次の %1 か所に、シフトJIS（コードページ932）で書けない文字があります。\n\n")
            .arg(all.size());
    for (int i = 0; i < all.size() && i < listed; ++i) {
        const Unwritable& u = all[i];
        const QString where =
            u.row == 0 ? QStringLiteral("見出し")
                       : QStringLiteral("%1 行目（%2 %3）").arg(u.row).arg(writer.titles().value(0), u.key);
        text += QStringLiteral("・%1「%2」: 「%3」(%4)\n")
                    .arg(where, writer.titles().value(u.column), u.character, cp932::CodePoint(u.character));
    }
    if (all.size() > listed)
        text += QStringLiteral("ほか %1 か所\n").arg(all.size() - listed);
    text += QStringLiteral("\nこれらの文字を「?」に置き換えて出力しますか？");
    return text;
}

} // namespace csvexport
