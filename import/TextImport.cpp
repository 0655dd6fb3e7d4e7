#include "import/TextImport.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QMap>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <utility>

#include "db/Connection.h"
#include "db/Query.h"
#include "import/LineBlock.h"
#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/DateFields.h"
#include "util/Numbers.h"
#include "util/TextLines.h"

namespace textimport {

namespace {

const QString kCode = QStringLiteral("T_CD");
const QString kNumber = QStringLiteral("数字");
const QString kText = QStringLiteral("文字");
const QString kHalf = QStringLiteral("半");

// ASCII and half-width katakana, which the conversion to half-width leaves
// as they are: most values of a file from another system, and the
// transliterator is the dearest step of a line.
bool isHalfWidth(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80 && (c.unicode() < 0xFF61 || c.unicode() > 0xFF9F))
            return false;
    return true;
}

void execute(db::Query& q, const QStringList& lines)
{
    q.close();
    q.clearSql();
    for (const QString& line : lines)
        q.addSql(line);
    q.execute();
    q.close();
}

} // namespace

ImportError::ImportError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message)
{}

// ---- The file

QString DecodeText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE,
                             QStringConverter::Flag::Default);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    return cp932::decode(bytes);
}

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw ImportError(QStringLiteral("ファイル %1 が見つかりません。").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("ファイル %1 を読めません: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ImportError(QStringLiteral("ファイル %1 を読めません: %2").arg(path, file.errorString()));
    return SplitLines(DecodeText(bytes));
}

QStringList SplitValues(QStringView line)
{
    QStringList values;
    if (line.isEmpty())
        return values;
    const qsizetype n = line.size();
    qsizetype i = 0;
    for (;;) {
        QString value;
        if (i < n && line[i] == u'"') {
            // Quoted: up to the closing quote; what follows it up to the comma is kept too.
            for (++i; i < n; ++i) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        value += u'"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += line[i];
            }
        }
        const qsizetype comma = line.indexOf(u',', i);
        value += line.mid(i, (comma < 0 ? n : comma) - i);
        values << value;
        if (comma < 0)
            break;
        i = comma + 1;
    }
    return values;
}

QStringList SplitHeadings(const QString& line)
{
    QString cleaned = line;
    cleaned.replace(u'\t', u',');
    cleaned.remove(u' ');
    cleaned.replace(u'%', u'％');
    return SplitValues(cleaned);
}

// ---- The importable fields

const QList<Field>& Fields()
{
    static const QList<Field> fields = [] {
        const QString number = kNumber;
        const QString text = QStringLiteral("文字列");
        const QString half = QStringLiteral("文字列半");
        return QList<Field>{
            {1, number, QStringLiteral("仕入先CD"), QStringLiteral("T_CD")},
            {2, half, QStringLiteral("ﾌﾘｶﾞﾅ"), QStringLiteral("T_KEY")},
            {3, text, QStringLiteral("仕入先名１"), QStringLiteral("T_NAME01")},
            {4, text, QStringLiteral("仕入先名２"), QStringLiteral("T_NAME02")},
            {5, half, QStringLiteral("仕入先略称"), QStringLiteral("T_NAME03")},
            {6, text, QStringLiteral("代表者名"), QStringLiteral("T_DAIHYOU")},
            {7, text, QStringLiteral("部署"), QStringLiteral("T_BUSYO")},
            {8, text, QStringLiteral("担当者名"), QStringLiteral("T_TANTOU")},
            {9, half, QStringLiteral("TEL"), QStringLiteral("T_TEL")},
            {10, half, QStringLiteral("FAX"), QStringLiteral("T_FAX")},
            {11, half, QStringLiteral("〒"), QStringLiteral("T_ZIP_CD")},
            {12, text, QStringLiteral("住所１"), QStringLiteral("T_ADD_1")},
            {13, text, QStringLiteral("住所２"), QStringLiteral("T_ADD_2")},
            {14, number, QStringLiteral("締日"), QStringLiteral("KU_SIME")},
            {15, number, QStringLiteral("支払日"), QStringLiteral("KU_HARAI")},
            {16, number, QStringLiteral("協力費率"), QStringLiteral("KIN_01")},
            {17, number, QStringLiteral("手形率"), QStringLiteral("KIN_02")},
            {18, number, QStringLiteral("口座種別"), QStringLiteral("GINKOU_KOUZA_CD")},
            {19, half, QStringLiteral("銀行CD"), QStringLiteral("GINKOU_CD")},
            {20, text, QStringLiteral("銀行名"), QStringLiteral("GINKOU_NAME")},
            {21, half, QStringLiteral("支店CD"), QStringLiteral("GINKOU_S_CD")},
            {22, text, QStringLiteral("支店名"), QStringLiteral("GINKOU_S_NAME")},
            {23, text, QStringLiteral("口座名義"), QStringLiteral("GINKOU_KOUZA_KANA")},
            {24, text, QStringLiteral("口座番号"), QStringLiteral("GINKOU_KOUZA_BANGOU")},
            {25, number, QStringLiteral("支払区分"), QStringLiteral("KU_KAISYU")},
            {26, number, QStringLiteral("請求区分"), QStringLiteral("KU_SEIKYU")},
            {27, number, QStringLiteral("科目"), QStringLiteral("KU_KAMOKU")},
            {28, number, QStringLiteral("工種"), QStringLiteral("KU_KOUSYU")},
            {29, number, QStringLiteral("税区分"), QStringLiteral("KU_TAX")},
            {30, number, QStringLiteral("税計算"), QStringLiteral("KU_TAX_K")},
            {31, text, QStringLiteral("インボイス番号"), QStringLiteral("INBOICE")},
            {32, number, QStringLiteral("免税区分"), QStringLiteral("IB_KBN")},
            {33, text, QStringLiteral("E_MAILE"), QStringLiteral("E_MAILE")},
            {34, text, QStringLiteral("携帯電話"), QStringLiteral("BIKOU_01")},
            {35, text, QStringLiteral("備考"), QStringLiteral("BIKOU_02")},
        };
    }();
    return fields;
}

const Field* FieldByCode(int code)
{
    for (const Field& f : Fields())
        if (f.code == code)
            return &f;
    return nullptr;
}

const Field* FieldByColumn(const QString& column)
{
    for (const Field& f : Fields())
        if (f.column.compare(column, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

// ---- Values

QString CheckMapping(const QList<Mapping>& mapping)
{
    if (mapping.isEmpty())
        return QStringLiteral("取り込む列が設定されていません。ダブルクリックで対応CDを設定してください。");
    QSet<QString> seen;
    for (const Mapping& m : mapping) {
        // Column names go into the statement's text: only the fields' own.
        const Field* field = FieldByColumn(m.column);
        if (!field || m.position < 1)
            return QStringLiteral("%1 列目の対応列「%2」は取り込めません。").arg(m.position).arg(m.column);
        if (seen.contains(field->column))
            return QStringLiteral("「%1」に複数の列が設定されています。").arg(field->label);
        seen.insert(field->column);
    }
    return {};
}

QList<Mapping> MatchHeadings(const QStringList& headings)
{
    QList<Mapping> mapping;
    for (const Field& field : Fields())
        for (int i = 0; i < headings.size(); ++i)
            if (headings[i] == field.label)
                mapping << Mapping{i + 1, field.column, field.kind};
    return mapping;
}

QList<WidthBox> WidthRules(const QString& column)
{
    static const QStringList nameWidth = {QStringLiteral("T_NAME01"), QStringLiteral("T_NAME02"),
                                          QStringLiteral("T_ADD_1"), QStringLiteral("T_ADD_2")};
    QList<WidthBox> boxes;
    if (nameWidth.contains(column) || column.contains(QLatin1String("BIKOU")))
        boxes << WidthBox::Name;
    if (column == QLatin1String("E_MAILE"))
        boxes << WidthBox::Mail;
    if (column == QLatin1String("BIKOU_01"))
        boxes << WidthBox::Mobile;
    return boxes;
}

QString FitToWidth(const QString& text, int width, const std::function<int(const QString&)>& measure)
{
    QString fitted = text;
    // Every character is at least a pixel wide: longer prefixes cannot fit.
    if (fitted.size() > qsizetype(width) + 1)
        fitted.truncate(qsizetype(width) + 1);
    while (!fitted.isEmpty() && measure(fitted) > width)
        fitted.chop(1);
    return fitted;
}

Fitting DesignFitting()
{
    QFont measuring(QStringLiteral("ＭＳ 明朝"));
    measuring.setPixelSize(19);
    const QFontMetrics metrics(measuring);
    return {[metrics](const QString& s) { return metrics.horizontalAdvance(s); },
            [](WidthBox box) {
                switch (box) {
                case WidthBox::Name:
                    return 404;
                case WidthBox::Mail:
                    return 935;
                case WidthBox::Mobile:
                    return 192;
                }
                return -1;
            }};
}

QVariant ConvertValue(const Mapping& mapping, const QString& value, const Fitting& fitting)
{
    if (mapping.column == kCode || mapping.kind.contains(kNumber))
        return toIntDef(value);
    if (!mapping.kind.contains(kText))
        return {};
    if (mapping.kind.contains(kHalf))
        return value.isEmpty() ? QVariant() : QVariant(isHalfWidth(value) ? value : ToHalfWidth(value));
    QString text = value;
    if (fitting.measure && fitting.width) {
        for (const WidthBox box : WidthRules(mapping.column)) {
            const int width = fitting.width(box);
            if (width >= 0)
                text = FitToWidth(text, width, fitting.measure);
        }
    }
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// ---- The run

namespace {

class Runner
{
public:
    Runner(db::Query& statement, const RunOptions& options) : m_statement(statement), m_options(options) {}

    RunResult run()
    {
        if (const QString problem = CheckMapping(m_options.mapping); !problem.isEmpty())
            throw ImportError(problem);
        // Read before anything changes: an unreadable file leaves the table alone.
        m_lines = ReadLines(m_options.path);
        db::TransactionGuard transaction(m_statement.connection());
        if (m_options.mode == Mode::Replace)
            execute(m_statement, {QStringLiteral("DELETE FROM MAS_SIIRE")});
        storeLines();
        stampDates();
        setGenerator();
        transaction.commit();
        return m_result;
    }

private:
    void storeLines()
    {
        const int total = int(m_lines.size());
        const int first = m_options.firstLineIsData ? 0 : 1;
        // Progress and round trips at least every hundredth of the lines.
        const int step = std::max(1, total / 100);
        LineBlock block(m_statement.connection(), values(), lineStatements(), step);
        progress(0);
        int shown = 0;
        for (int i = first; i < total; ++i) {
            // A blank line holds no supplier.
            if (!m_lines[i].isEmpty()) {
                QVariantList values;
                QString reason;
                if (lineValues(m_lines[i], values, &reason) && block.add(values, i, &reason))
                    ++m_added;
                else
                    m_refused.insert(i, reason);
            }
            if (block.isFull())
                send(block);
            if (i + 1 - shown >= step) {
                shown = i + 1;
                progress(shown);
            }
        }
        send(block);
        m_result.stored = m_added - m_failedOnServer;
        progress(total);
    }

    QList<LineBlock::Value> values() const
    {
        QStringList columns;
        for (const Mapping& m : m_options.mapping)
            columns << m.column;
        const QStringList declarations =
            LineBlock::describe(m_statement.connection(), QStringLiteral("MAS_SIIRE"), columns);
        QList<LineBlock::Value> values;
        for (int i = 0; i < columns.size(); ++i)
            values << LineBlock::Value{columns[i], declarations.value(i)};
        return values;
    }

    QString lineStatements() const
    {
        QStringList columns;
        QStringList values;
        bool hasCode = false;
        for (const Mapping& m : m_options.mapping) {
            columns << m.column;
            values << u':' + m.column;
            hasCode = hasCode || m.column == kCode;
        }
        if (!hasCode) {
            // A list from another system without our codes: each line gets the next one.
            columns.prepend(kCode);
            values.prepend(QStringLiteral("GEN_ID(GYOUSYA_ID,1)"));
        }
        QString statements = QStringLiteral("INSERT INTO MAS_SIIRE (%1) VALUES (%2);")
                                 .arg(columns.join(u','), values.join(u','));
        if (hasCode && m_options.mode == Mode::Append)
            statements.prepend(QStringLiteral("DELETE FROM MAS_SIIRE WHERE T_CD = :T_CD; "));
        return statements;
    }

    // The values of one line in mapping order; false with the reason when
    // the line has too few.
    bool lineValues(const QString& line, QVariantList& values, QString* reason) const
    {
        const QStringList fileValues = SplitValues(line);
        for (const Mapping& m : m_options.mapping) {
            if (m.position > fileValues.size()) {
                *reason = QStringLiteral("%1 列目がありません。").arg(m.position);
                return false;
            }
            values << ConvertValue(m, fileValues[m.position - 1], m_options.fitting);
        }
        return true;
    }

    // Runs the gathered lines, then reports every line left out since the
    // last block, in file order.
    void send(LineBlock& block)
    {
        const QList<int> failed = block.send();
        m_failedOnServer += int(failed.size());
        const QMap<int, QString> refused = std::exchange(m_refused, {});
        QList<int> reported = refused.keys() + failed;
        std::sort(reported.begin(), reported.end());
        m_result.failed += int(reported.size());
        if (m_options.report)
            for (int i : reported)
                m_options.report(i + 1, m_lines[i], refused.value(i));
    }

    void progress(int done)
    {
        if (m_options.progress)
            m_options.progress(done, int(m_lines.size()));
    }

    void stampDates()
    {
        const QString today = DateToSqlText(QDateTime(m_options.today, QTime(0, 0)), true);
        execute(m_statement,
                {QStringLiteral("UPDATE MAS_SIIRE set e_date01=") + today,
                 QStringLiteral(",e_date02=") + today, QStringLiteral("where e_date01 is null")});
    }

    void setGenerator()
    {
        db::Query& q = m_statement;
        q.close();
        q.clearSql();
        q.addSql(QStringLiteral("SELECT MAX(T_CD) AS T_CD from MAS_SIIRE"));
        q.open();
        m_result.generator = q.field(QStringLiteral("T_CD")).asInteger();
        q.close();
        execute(q, {QStringLiteral("SET GENERATOR GYOUSYA_ID TO %1").arg(m_result.generator)});
    }

    db::Query& m_statement;
    const RunOptions& m_options;
    QStringList m_lines;
    QMap<int, QString> m_refused; // lines left out since the last block: index, reason
    int m_added = 0;
    int m_failedOnServer = 0;
    RunResult m_result;
};

} // namespace

RunResult Run(db::Query& statement, const RunOptions& options)
{
    return Runner(statement, options).run();
}

} // namespace textimport
