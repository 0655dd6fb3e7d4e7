#pragma once

// What the search list and merge tests share: a suite database of known
// suppliers reached over its own connection, and the clerk's typing and
// clicking in the list.

#include "db/Connection.h"
#include "db/Query.h"
#include "tests/support/TestSupport.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDate>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <initializer_list>

namespace testing {

// The suite as another workstation sees it.
class SuiteData
{
public:
    explicit SuiteData(const QStringList& params) { m_conn.setParams(params); }

    db::Connection& connection() { return m_conn; }

    void run(const QString& sql, const QVariantMap& params = {})
    {
        db::Query q(m_conn);
        q.setSql(sql);
        for (auto it = params.begin(); it != params.end(); ++it)
            q.setParam(it.key(), it.value());
        q.execute();
    }

    // A supplier; kousyu invalid stores null, deleted stamps E_DATE04.
    void addSupplier(int code, const QString& key, const QString& name, const QString& tel = {},
                     const QVariant& kousyu = {}, bool deleted = false)
    {
        run(QStringLiteral("insert into MAS_SIIRE (T_CD, T_KEY, T_NAME01, T_TEL, KU_KOUSYU, E_DATE04) "
                           "values (:CD, :KEY, :NAME, :TEL, :KOUSYU, :DELETED)"),
            {{QStringLiteral("CD"), code},
             {QStringLiteral("KEY"), key},
             {QStringLiteral("NAME"), name},
             {QStringLiteral("TEL"), tel},
             {QStringLiteral("KOUSYU"), kousyu},
             {QStringLiteral("DELETED"), deleted ? QVariant(QDate(2025, 4, 1)) : QVariant()}});
    }

    // One column of one supplier; invalid when null or missing.
    QVariant value(int code, const QString& column)
    {
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select ") + column + QStringLiteral(" as V from MAS_SIIRE where T_CD=:CD"));
        q.setParam(QStringLiteral("CD"), code);
        q.open();
        return q.isEmpty() ? QVariant() : q.field(QStringLiteral("V")).value();
    }

    // The first column of every row of a select.
    QVariantList column(const QString& sql)
    {
        db::Query q(m_conn);
        q.setSql(sql);
        q.open();
        QVariantList values;
        for (; !q.eof(); q.next())
            values << q.field(0).value();
        return values;
    }

private:
    db::Connection m_conn;
};

// Typed as the clerk types: ASCII key by key, Japanese as an input method commits it.
inline void typeInto(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->clear();
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(box, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(box, &commit);
        }
    }
}

// The codes the list shows, every row read.
inline QList<int> listedCodes(QTableView* grid)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QList<int> codes;
    for (int r = 0; r < model->rowCount(); ++r)
        codes << model->index(r, 0).data().toInt();
    return codes;
}

// Makes the row holding code the grid's current row; false when it is not listed.
inline bool goToCode(QTableView* grid, int code)
{
    const int row = int(listedCodes(grid).indexOf(code));
    if (row < 0)
        return false;
    const QModelIndex index = grid->model()->index(row, 0);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    return grid->currentIndex().row() == row;
}

} // namespace testing
