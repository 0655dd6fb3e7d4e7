#include "postal/PostalFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QVariantList>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "util/Cp932.h"
#include "util/Numbers.h"
#include "util/TextLines.h"

namespace postal {
namespace {

constexpr int kMinFields = 9;

const QStringList& columns()
{
    static const QStringList names = {QStringLiteral("ZIP_CD"),     QStringLiteral("KEN_NAME"),
                                      QStringLiteral("TIKU_NAME1"), QStringLiteral("TIKU_NAME2"),
                                      QStringLiteral("TI_MEI"),     QStringLiteral("YOMI"),
                                      QStringLiteral("TIKU_CD")};
    return names;
}

bool isBlank(QStringView line)
{
    for (const QChar c : line)
        if (!c.isSpace())
            return false;
    return true;
}

// A district whose "（" is not closed yet goes on in the next line.
bool goesOn(QStringView district)
{
    return district.count(u'（') > district.count(u'）');
}

// The fields of line number lineNo, refused when they cannot make a row.
QStringList recordFields(QStringView line, int lineNo)
{
    if (line.contains(QChar::ReplacementCharacter))
        throw ImportError(lineNo, QStringLiteral("コードページ 932 の文字として読めないバイトがあります。"));
    QStringList f = CleanFields(line);
    if (f.size() < kMinFields)
        throw ImportError(lineNo, QStringLiteral("項目が足りません（%1 項目、%2 項目以上が必要です）。")
                                      .arg(f.size())
                                      .arg(kMinFields));
    return f;
}

bool isDigits(QStringView text, qsizetype count)
{
    if (text.size() != count)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Hands every row of the lines to take, split records joined, until take
// returns false.
template <typename Take> void forEachRow(const QStringList& lines, Take take)
{
    bool first = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isBlank(lines[i]))
            continue;
        const QStringList f = recordFields(lines[i], int(i + 1));
        // Another file with enough commas must not replace the dictionary.
        if (first && !(isDigits(f[0], 5) && isDigits(f[2], 7)))
            throw ImportError(
                int(i + 1),
                QStringLiteral("全国一括の郵便番号ファイルの行ではありません"
                               "（地方公共団体コード 5 桁、郵便番号 7 桁で始まる行が必要です）。"));
        first = false;
        Row row;
        row.zip = f[2];
        row.ken = f[6];
        row.city = f[7];
        row.district = f[8];
        row.tikuCd = toIntDef(f[0]);
        row.firstLine = int(i + 1);
        QString districtReading = f[5];
        while (goesOn(row.district) && i + 1 < lines.size() && !isBlank(lines[i + 1])) {
            const QStringList g = recordFields(lines[i + 1], int(i + 2));
            if (g[2] != row.zip)
                break;
            row.district += g[8];
            // Some records split the reading with the name, others repeat
            // the whole reading on every line.
            if (g[5] != f[5])
                districtReading += g[5];
            ++i;
        }
        row.reading = f[3] + f[4] + districtReading;
        row.lastLine = int(i + 1);
        if (!take(std::move(row)))
            return;
    }
}

// Reads the rows of a file on a thread of its own while the caller writes
// the ones before them: the server and this side otherwise take turns, and
// the reading would add a tenth to the import. A fault of the file reaches
// the caller when it asks for the rows after it.
class RowReader
{
public:
    explicit RowReader(QByteArray bytes) : m_thread([this, bytes = std::move(bytes)] { run(bytes); }) {}

    ~RowReader()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // The lines of the file, once it is decoded.
    int lineCount()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_lines >= 0 || m_done; });
        rethrow();
        return m_lines;
    }

    // The next rows; false after the last.
    bool next(std::vector<Row>& rows)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_batches.empty() || m_done; });
        if (m_batches.empty()) {
            rethrow();
            return false;
        }
        rows = std::move(m_batches.front());
        m_batches.pop_front();
        m_changed.notify_all();
        return true;
    }

private:
    static constexpr size_t kBatch = 2000;
    static constexpr size_t kBatchesAhead = 8;

    void run(const QByteArray& bytes)
    {
        try {
            const QStringList lines = DecodeLines(bytes);
            publishLineCount(int(lines.size()));
            std::vector<Row> batch;
            batch.reserve(kBatch);
            forEachRow(lines, [&](Row&& row) {
                batch.push_back(std::move(row));
                if (batch.size() < kBatch)
                    return true;
                const bool more = publish(std::move(batch));
                batch = {};
                batch.reserve(kBatch);
                return more;
            });
            if (!batch.empty())
                publish(std::move(batch));
        } catch (...) {
            std::lock_guard lock(m_mutex);
            m_error = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
    }

    void publishLineCount(int lines)
    {
        {
            std::lock_guard lock(m_mutex);
            m_lines = lines;
        }
        m_changed.notify_all();
    }

    // False when the caller no longer wants rows.
    bool publish(std::vector<Row>&& batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_batches.size() < kBatchesAhead || m_stop; });
        if (m_stop)
            return false;
        m_batches.push_back(std::move(batch));
        lock.unlock();
        m_changed.notify_all();
        return true;
    }

    void rethrow()
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<Row>> m_batches;
    int m_lines = -1;
    bool m_done = false;
    bool m_stop = false;
    std::exception_ptr m_error;
    std::thread m_thread; // last: starts once the rest is there
};

// How much a text column holds: bytes of code page 932 in a database
// without a character set (the suite's), characters in one with a set.
struct Width
{
    int limit = 0;
    bool characters = false;
};

// Bytes of one character in code page 932: ASCII and half-width katakana
// take one, every other character it can hold two.
int cp932Bytes(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
}

bool isVoicedMark(QChar c)
{
    return c == QChar(0xFF9E) || c == QChar(0xFF9F);
}

int widthOf(const QString& text, const Width& width)
{
    if (width.characters)
        return int(text.size());
    int bytes = 0;
    for (const QChar c : text)
        bytes += cp932Bytes(c);
    return bytes;
}

// The longest head of text the column holds; a half-width voiced mark is
// kept or dropped with the kana before it.
QString fitted(const QString& text, const Width& width, int& cut)
{
    int used = 0;
    qsizetype n = 0;
    for (; n < text.size(); ++n) {
        const int bytes = width.characters ? 1 : cp932Bytes(text[n]);
        if (used + bytes > width.limit)
            break;
        used += bytes;
    }
    if (n == text.size())
        return text;
    while (n > 0 && isVoicedMark(text[n]))
        --n;
    ++cut;
    return text.left(n);
}

// The text columns' widths as the suite's table declares them.
std::vector<Width> columnWidths(db::Connection& suite)
{
    static const QRegularExpression declared(QStringLiteral(R"(^(?:VAR)?CHAR\((\d+)\))"));
    db::Query describe(suite);
    describe.setSql(QStringLiteral("select %1 from LOOK_ZIP where 1=0").arg(columns().join(u',')));
    describe.open();
    std::vector<Width> widths;
    for (int i = 0; i < describe.fieldCount(); ++i) {
        const QString declaration = describe.fieldDeclaration(i);
        const QRegularExpressionMatch m = declared.match(declaration);
        Width w;
        w.limit = m.hasMatch() ? m.captured(1).toInt() : 0;
        w.characters = declaration.contains(QLatin1String("CHARACTER SET"));
        widths.push_back(w);
    }
    describe.close();
    return widths;
}

// The rows of one import through a block insert. A block the server refuses
// is tried again row by row (the failed block left nothing behind), so that
// the error names the line of the row at fault.
class Writer
{
public:
    explicit Writer(db::Connection& suite)
        : m_suite(suite), m_widths(columnWidths(suite)),
          m_insert(suite, QStringLiteral("LOOK_ZIP"), columns())
    {}

    void add(const Row& row)
    {
        if (widthOf(row.zip, m_widths[0]) > m_widths[0].limit)
            throw ImportError(row.firstLine, QStringLiteral("郵便番号「%1」が長すぎます（%2 バイトまで）。")
                                                 .arg(row.zip)
                                                 .arg(m_widths[0].limit));
        const QString reading = row.reading.isEmpty() ? QStringLiteral(" ") : row.reading;
        QVariantList values{row.zip,
                            fitted(row.ken, m_widths[1], m_cut),
                            fitted(row.city, m_widths[2], m_cut),
                            fitted(row.district, m_widths[3], m_cut),
                            fitted(row.ken + row.city + row.district, m_widths[4], m_cut),
                            fitted(reading, m_widths[5], m_cut),
                            row.tikuCd};
        m_block.push_back({row.firstLine, values});
        try {
            m_insert.add(values);
        } catch (const db::Error& e) {
            failed(e);
        }
        if (m_insert.rowsWaiting() == 0)
            m_block.clear();
    }

    void flush()
    {
        try {
            m_insert.flush();
        } catch (const db::Error& e) {
            failed(e);
        }
        m_block.clear();
    }

    int cut() const { return m_cut; }

private:
    struct Pending
    {
        int line;
        QVariantList values;
    };

    [[noreturn]] void failed(const db::Error& error)
    {
        // No line is to blame for a server that went away.
        if (error.isConnectionLost() || m_block.empty())
            throw ImportError(0, error.message(), error.details());
        // Refused before sending: a character code page 932 cannot hold.
        const Pending& last = m_block.back();
        for (const QVariant& v : last.values) {
            QString character;
            if (v.typeId() == QMetaType::QString && !cp932::canEncode(v.toString(), &character))
                throw ImportError(last.line, cp932::EncodeError(character, 0).message());
        }
        QStringList markers;
        for (const QString& c : columns())
            markers << u':' + c;
        db::Query one(m_suite);
        one.setSql(QStringLiteral("INSERT INTO LOOK_ZIP (%1) VALUES (%2)")
                       .arg(columns().join(u','), markers.join(u',')));
        for (const Pending& p : m_block) {
            for (int c = 0; c < columns().size(); ++c)
                one.setParam(columns()[c], p.values[c]);
            try {
                one.execute();
            } catch (const db::Error& rowError) {
                throw ImportError(p.line, rowError.message(), rowError.details());
            }
        }
        // Every row went in alone: the block failed for a reason of its own.
        throw ImportError(m_block.front().line, error.message(), error.details());
    }

    db::Connection& m_suite;
    std::vector<Width> m_widths;
    db::BlockInsert m_insert;
    std::vector<Pending> m_block; // the rows of the block being gathered
    int m_cut = 0;
};

} // namespace

ImportError::ImportError(int line, const QString& text, const QString& details)
    : std::runtime_error((line > 0 ? QStringLiteral("%1 行目: %2").arg(line).arg(text) : text).toStdString()),
      m_line(line), m_text(text), m_details(details)
{}

QString ImportError::message() const
{
    return QString::fromStdString(what());
}

QStringList DecodeLines(QByteArrayView bytes)
{
    return SplitLines(cp932::decode(bytes));
}

QStringList CleanFields(QStringView line)
{
    QStringList fields;
    fields.reserve(16);
    QString field;
    for (const QChar c : line) {
        switch (c.unicode()) {
        case u',':
        case u'\t':
            fields << field;
            field = QString();
            break;
        case u' ':
        case u'"':
            break;
        default:
            field += c;
        }
    }
    fields << field;
    return fields;
}

std::vector<Row> ReadRows(const QStringList& lines)
{
    std::vector<Row> rows;
    rows.reserve(size_t(lines.size()));
    forEachRow(lines, [&rows](Row&& row) {
        rows.push_back(std::move(row));
        return true;
    });
    return rows;
}

void AddReadingColumn(db::Connection& suite)
{
    db::AddColumnIfMissing(suite, QStringLiteral("LOOK_ZIP"), QStringLiteral("YOMI"), [&suite] {
        db::Query q(suite);
        q.setSql(QStringLiteral("ALTER TABLE LOOK_ZIP ADD YOMI Varchar(140)"));
        q.execute();
    });
}

ImportResult ImportPostalFile(db::Connection& suite, const QString& csvPath,
                              const std::function<void(int done, int total)>& progress)
{
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(0, QStringLiteral("ファイル「%1」を開けません（%2）。")
                                 .arg(QDir::toNativeSeparators(csvPath), file.errorString()));
    RowReader reader(file.readAll());
    file.close();

    ImportResult result;
    try {
        AddReadingColumn(suite);
        db::TransactionGuard transaction(suite);
        db::Query empty(suite);
        empty.setSql(QStringLiteral("delete from LOOK_ZIP"));
        empty.execute();
        Writer writer(suite);
        result.lines = reader.lineCount();
        if (progress)
            progress(0, result.lines);
        std::vector<Row> rows;
        while (reader.next(rows)) {
            for (const Row& row : rows) {
                writer.add(row);
                if (progress)
                    progress(row.lastLine, result.lines);
            }
            result.rows += int(rows.size());
        }
        // An empty file would leave an empty dictionary; far fewer rows than
        // lines means the lines were not read as the file meant them.
        if (result.rows == 0)
            throw ImportError(0, QStringLiteral("ファイルに郵便番号がありません。"));
        if (result.rows < result.lines / 2)
            throw ImportError(0, QStringLiteral("ファイルの %1 行から郵便番号が %2 件しか読めません。"
                                                "全国一括の郵便番号ファイルか確かめてください。")
                                     .arg(result.lines)
                                     .arg(result.rows));
        writer.flush();
        transaction.commit();
        result.cut = writer.cut();
    } catch (const db::Error& e) {
        throw ImportError(0, e.message(), e.details());
    }
    if (progress)
        progress(result.lines, result.lines);
    return result;
}

} // namespace postal
