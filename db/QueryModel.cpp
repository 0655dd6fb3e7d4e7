#include "db/QueryModel.h"

#include <QSize>

#include "db/Query.h"

namespace db {
namespace {

constexpr int kFetchBatch = 256;

} // namespace

QueryModel::QueryModel(Query& query, QObject* parent) : QAbstractTableModel(parent), m_query(query)
{
    // Views may ask for more rows while they hear of a change: not until it is done.
    connect(&m_query, &Query::aboutToReset, this, [this] {
        m_busy = true;
        beginResetModel();
    });
    connect(&m_query, &Query::reset, this, [this] {
        resolveColumns();
        m_rows = m_query.fetchedCount();
        endResetModel();
        m_busy = false;
    });
    connect(&m_query, &Query::rowsFetched, this, [this](int, int last) {
        if (last < m_rows)
            return;
        m_busy = true;
        beginInsertRows({}, m_rows, last);
        m_rows = last + 1;
        endInsertRows();
        m_busy = false;
    });
    connect(&m_query, &Query::rowChanged, this, [this](int row) {
        if (row >= 0 && row < m_rows && !m_shown.isEmpty())
            emit dataChanged(index(row, 0), index(row, int(m_shown.size()) - 1));
    });
    resolveColumns();
    m_rows = m_query.fetchedCount();
}

void QueryModel::setColumns(const QList<Column>& columns)
{
    beginResetModel();
    m_columns = columns;
    resolveColumns();
    endResetModel();
}

void QueryModel::resolveColumns()
{
    m_shown.clear();
    m_fieldIndex.clear();
    if (m_columns.isEmpty()) {
        for (int i = 0; i < m_query.fieldCount(); ++i) {
            Column c;
            c.field = m_query.fieldName(i);
            m_shown << c;
            m_fieldIndex << i;
        }
        return;
    }
    m_shown = m_columns;
    for (const Column& c : m_columns)
        m_fieldIndex << (c.calculate ? -1 : m_query.fieldIndex(c.field));
}

int QueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int QueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant QueryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Column& c = m_shown[index.column()];
    const int field = m_fieldIndex[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        if (c.calculate)
            return c.calculate(m_query, index.row()).toString();
        return field >= 0 ? m_query.displayTextAt(index.row(), field) : QString();
    case Qt::EditRole:
        if (c.calculate)
            return c.calculate(m_query, index.row());
        return field >= 0 ? m_query.valueAt(index.row(), field) : QVariant();
    case Qt::TextAlignmentRole:
        return int(c.alignment);
    default:
        return {};
    }
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_shown.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& c = m_shown[section];
    switch (role) {
    case Qt::DisplayRole:
        return c.title.isEmpty() ? c.field : c.title;
    case WidthRole:
        return c.width > 0 ? QVariant(c.width) : QVariant();
    default:
        return {};
    }
}

bool QueryModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_busy && m_query.isOpen() && !m_query.allFetched();
}

void QueryModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        m_query.fetchMore(kFetchBatch); // the rows arrive through rowsFetched
}

} // namespace db
