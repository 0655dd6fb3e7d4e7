#pragma once

#include "db/QueryModel.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QTableView;

namespace db {
class Query;
} // namespace db

// What the program's list pickers have in common: a modal dialog with a
// read-only list that opens centred on its owner and sees every key before
// its controls do. Esc and the close box cancel; Enter presses a button that
// has the focus; a double-click on a row is the picker's to answer. Shown
// through modal::exec(), created once and reused.
class TPicker : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ResultOk = 1;     // OK, Enter or a double-click in the list
    static constexpr int ResultCancel = 2; // Cancel, Esc or the close box

    explicit TPicker(QWidget* parent = nullptr);
    ~TPicker() override;

    // Runs every time the picker is shown (its search, its focus).
    virtual void FormShow() {}
    void reject() override;

protected:
    // The list whose rows a double-click picks; set once it is built.
    void setList(QTableView* list) { m_list = list; }
    // A key on its way to target: true when the picker took it.
    virtual bool previewKey(QWidget* target, int key);
    virtual void listDoubleClicked() {}
    // False for a picker that places itself (beside the field that opened it).
    virtual bool centreOnShow() const { return true; }

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QTableView* m_list = nullptr;
};

namespace pickers {

// Sets grid up as a picker's list over model: read only, whole rows, one row
// at a time, the given columns. The grid's current row and the query's
// current row follow each other, so that whoever reads either sees the row
// the user is on.
void SetUpGrid(QTableView* grid, db::QueryModel& model, const QList<db::QueryModel::Column>& columns);
// The grid's current row, -1 when there is none (an empty list).
int CurrentRow(const QTableView* grid);
// The font every control of the pickers uses.
QFont PickerFont();
bool IsEnter(int key);

// column LIKE the bound parameter :NAME. Left to itself the server gives the
// pattern the column's type and refuses a text longer than the column
// ("string right truncation") instead of finding nothing.
QString ReadingLike(const QString& column);
// The pattern for a reading search: the text normalised, anywhere in the reading.
QString Containing(const QString& text);
// Closes query, gives it sql and params, opens it.
void Reopen(db::Query& query, const QStringList& sql, const QVariantMap& params = {});

} // namespace pickers
