#pragma once

// Internal to the data-access layer: the rows a query has read, kept in one
// compact buffer (a few hundred bytes per supplier instead of a QVariant per
// cell), so that a hundred thousand rows stay cheap.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QVariant>

#include <cstdint>
#include <cstring>
#include <vector>

namespace db {

// One cell as read from the server, before any conversion to QString.
enum class CellKind : std::uint8_t { Null, Text, Integer, Double, Date, Time, Timestamp, Boolean, Bytes };

class RowWriter
{
public:
    void clear() { m_data.clear(); }
    void null() { m_data.push_back(char(CellKind::Null)); }
    void text(const char* p, std::uint32_t n) { bytes(CellKind::Text, p, n); }
    void binary(const char* p, std::uint32_t n) { bytes(CellKind::Bytes, p, n); }
    void integer(std::int64_t v) { fixed(CellKind::Integer, &v, sizeof v); }
    void real(double v) { fixed(CellKind::Double, &v, sizeof v); }
    void date(std::int32_t julianDay) { fixed(CellKind::Date, &julianDay, sizeof julianDay); }
    void time(std::int32_t msecs) { fixed(CellKind::Time, &msecs, sizeof msecs); }
    void timestamp(std::int32_t julianDay, std::int32_t msecs)
    {
        const std::int32_t v[2] = {julianDay, msecs};
        fixed(CellKind::Timestamp, v, sizeof v);
    }
    void boolean(bool v)
    {
        m_data.push_back(char(CellKind::Boolean));
        m_data.push_back(v ? 1 : 0);
    }
    const std::vector<char>& data() const { return m_data; }

private:
    void fixed(CellKind kind, const void* p, std::size_t n)
    {
        m_data.push_back(char(kind));
        const char* c = static_cast<const char*>(p);
        m_data.insert(m_data.end(), c, c + n);
    }
    void bytes(CellKind kind, const char* p, std::uint32_t n)
    {
        fixed(kind, &n, sizeof n);
        m_data.insert(m_data.end(), p, p + n);
    }
    std::vector<char> m_data;
};

// A cell's raw content: text stays in code page 932 until somebody reads it.
struct Cell
{
    CellKind kind = CellKind::Null;
    const char* bytes = nullptr;
    std::uint32_t size = 0;
    std::int64_t integer = 0;
    double real = 0;
    std::int32_t day = 0;   // Julian day
    std::int32_t msecs = 0; // milliseconds since midnight
    bool boolean = false;
};

class RowStore
{
public:
    void clear()
    {
        m_data.clear();
        m_starts.clear();
    }
    int size() const { return int(m_starts.size()); }
    void append(const std::vector<char>& row)
    {
        m_starts.push_back(m_data.size());
        m_data.insert(m_data.end(), row.begin(), row.end());
    }
    Cell cell(int row, int column) const;

private:
    std::vector<char> m_data;
    std::vector<std::size_t> m_starts;
};

} // namespace db
