#pragma once

#include <QAbstractTableModel>
#include <QList>

#include <functional>

namespace db {

class Query;

// A read-only table model over a query, for the program's grids. Rows are
// read from the server as the view scrolls to them, so a result of a hundred
// thousand suppliers opens at once. The model follows the query: reopening
// it resets the model, rows read by anyone (navigation, record count) appear.
class QueryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // One grid column: a field of the query or a calculated value.
    struct Column
    {
        QString field; // the query's field; empty for a calculated column
        QString title; // the field's name when empty
        int width = 0; // pixels; 0 leaves it to the view
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        std::function<QVariant(const Query& query, int row)> calculate;
    };

    // The header's design width of a column, in pixels (the views set it;
    // a size hint would also fix the header's height).
    static constexpr int WidthRole = Qt::UserRole + 1;

    explicit QueryModel(Query& query, QObject* parent = nullptr);

    Query& query() const { return m_query; }

    // No columns set: every field of the query, titled with its name.
    void setColumns(const QList<Column>& columns);
    QList<Column> columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void resolveColumns();

    Query& m_query;
    QList<Column> m_columns; // as set
    QList<Column> m_shown;   // in effect for the current result
    QList<int> m_fieldIndex; // per shown column, -1 for calculated or missing
    int m_rows = 0;
    bool m_busy = false; // inside a reset or an insertion
};

} // namespace db
