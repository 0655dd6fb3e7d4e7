#include "db/RowStore.h"

namespace db {
namespace {

template <class T> T read(const char*& p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}

// Steps over one cell and returns where the next one starts.
const char* skip(const char* p)
{
    switch (CellKind(*p++)) {
    case CellKind::Null:
        return p;
    case CellKind::Text:
    case CellKind::Bytes: {
        const auto n = read<std::uint32_t>(p);
        return p + n;
    }
    case CellKind::Integer:
    case CellKind::Double:
    case CellKind::Timestamp:
        return p + 8;
    case CellKind::Date:
    case CellKind::Time:
        return p + 4;
    case CellKind::Boolean:
        return p + 1;
    }
    return p;
}

} // namespace

Cell RowStore::cell(int row, int column) const
{
    const char* p = m_data.data() + m_starts[std::size_t(row)];
    for (int i = 0; i < column; ++i)
        p = skip(p);
    Cell c;
    c.kind = CellKind(*p++);
    switch (c.kind) {
    case CellKind::Null:
        break;
    case CellKind::Text:
    case CellKind::Bytes:
        c.size = read<std::uint32_t>(p);
        c.bytes = p;
        break;
    case CellKind::Integer:
        c.integer = read<std::int64_t>(p);
        break;
    case CellKind::Double:
        c.real = read<double>(p);
        break;
    case CellKind::Date:
        c.day = read<std::int32_t>(p);
        break;
    case CellKind::Time:
        c.msecs = read<std::int32_t>(p);
        break;
    case CellKind::Timestamp:
        c.day = read<std::int32_t>(p);
        c.msecs = read<std::int32_t>(p);
        break;
    case CellKind::Boolean:
        c.boolean = *p != 0;
        break;
    }
    return c;
}

} // namespace db
