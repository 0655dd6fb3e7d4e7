#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QVariantMap>

#include <functional>

#include "db/QueryModel.h"

class QPushButton;
class QTableView;

namespace db {
class Query;
} // namespace db

// What the program's list pickers have in common: a modal dialog with a
// read-only list that opens centred on its owner and sees every key before
// its controls do, while it is shown. Esc and the close box cancel; Enter
// presses a button that has the focus. In a picker's list, Enter and a
// double-click on a row choose it, and Up on the first row goes back to the
// search box. Shown through modal::exec(), created once and reused; its unit's
// form pointer is cleared when it goes.
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
    // The list whose rows Enter (unless enterChooses is false) and a
    // double-click choose, and the box Up on the list's first row returns to
    // (none: Up stays in the list). Set once the list is built.
    void setList(QTableView* list, QWidget* searchBox = nullptr, bool enterChooses = true);
    // The row chosen in the list: the picker's OK.
    virtual void listChosen() {}
    // The wheel turned over the list (Ctrl zooms it): true when taken.
    virtual bool listWheel(Qt::KeyboardModifiers, int /*delta*/) { return false; }
    // The list's keys: Enter chooses, Up on the first row goes to the search
    // box. True when the key was taken.
    bool listKeyPress(int key);
    bool listKeyDown(int key);
    // The unit-level pointer to this form, cleared when the form goes.
    template <typename Form> void forgetOnDestruction(Form*& unitPointer)
    {
        m_forget = [&unitPointer, form = static_cast<Form*>(this)] {
            if (unitPointer == form)
                unitPointer = nullptr;
        };
    }

    // A key on its way to target: true when the picker took it.
    virtual bool previewKey(QWidget* target, int key);
    // False for a picker that places itself (beside the field that opened it).
    virtual bool centreOnShow() const { return true; }

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTableView* m_list = nullptr;
    QWidget* m_searchBox = nullptr;
    bool m_enterChooses = true;
    std::function<void()> m_forget;
};

namespace pickers {

// A picker's list: a statement and the values of its :NAME parameters. Every
// text the user typed is among the values, never in the statement.
struct Statement
{
    QStringList sql;
    QVariantMap params;
};

// A button of the program's forms: object name, text and (unless
// SP_CustomBase) icon. Enter belongs to the boxes and the lists, so no
// button is ever the dialog's default; a button with the focus still answers
// Enter (TPicker).
QPushButton* Button(QWidget* parent, const char* name, const QString& text,
                    QStyle::StandardPixmap icon = QStyle::SP_CustomBase);
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
inline void Reopen(db::Query& query, const Statement& list)
{
    Reopen(query, list.sql, list.params);
}

} // namespace pickers
