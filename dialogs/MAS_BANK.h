#pragma once

#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "db/Query.h"
#include "db/QueryModel.h"

class QFrame;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTableView;

namespace db {
class Connection;
} // namespace db

// The bank picker: finds a bank in the suite's MAS_BANK by its code or by a
// fragment of its half-width katakana reading, searching as the user types,
// and hands the chosen row back through SelBankCode, SelBankKana and
// SelBankName. Created once at start-up as BAN_SEL and reused: the search box
// keeps its text between showings. Shown through modal::exec(); a caller may
// put a search text into E_BANK_NAME first, which searches at once.
//
// FDQ_1 is the grid's list and is public: the main screen runs its own exact
// code lookup in it before deciding whether to show the picker at all.
// Database errors are not caught here.
class TBAN_SEL : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ResultOk = 1;     // BitBtn1, Enter or a double-click in the grid
    static constexpr int ResultCancel = 2; // BitBtn2, Esc or the close box

    // suite: the suite database's connection; it must outlive the dialog.
    explicit TBAN_SEL(db::Connection& suite, QWidget* parent = nullptr);
    ~TBAN_SEL() override;

    // Handlers, named as the dialog's design names them. The key handlers
    // return true when they consumed the key.
    void FormShow();
    void E_BANK_NAMEChange();
    bool E_BANK_NAMEKeyPress(int key);
    bool DBGrid1KeyPress(int key);
    bool DBGrid1KeyDown(int key);
    void DBGrid1DblClick();
    // Confirms: the results take the grid's current row (0 and empty texts
    // when there is none) and the dialog closes with ResultOk.
    void BitBtn1Click();

    // Esc and the close box answer like the Cancel button.
    void reject() override;

    QFrame* Panel1;
    QLineEdit* E_BANK_NAME;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QTableView* DBGrid1;

    db::Query FDQ_1;
    db::QueryModel DataSource1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void search();
};

// The bank picker's results: written when the user confirms, kept until the
// next confirmation (the main screen also writes them when it finds a bank
// without the picker). SelBankCode is 0 when nothing was chosen.
extern int SelBankCode;
extern QString SelBankKana;
extern QString SelBankName;
extern TBAN_SEL* BAN_SEL;

// What the bank and the branch picker share: their list grid, the pieces of
// their searches and their place on the screen.
namespace bankpickers {

// Sets grid up as a picker's list over model: read only, whole rows, one row
// at a time, the given columns. The grid's current row and the query's
// current row follow each other, so that whoever reads either sees the row
// the user is on.
void SetUpGrid(QTableView* grid, db::QueryModel& model, const QList<db::QueryModel::Column>& columns);

// The grid's current row, -1 when there is none (an empty list).
int CurrentRow(const QTableView* grid);

// Moves dialog to the middle of its parent's window, or of the screen's work
// area when it has none.
void CentreOnParent(QDialog* dialog);

// The font every control of the pickers uses.
QFont PickerFont();

// Whether a key is one of the two Enter keys.
bool IsEnter(int key);

// A reading search: the condition on column, with the pattern as the
// parameter :NAME, and the value to bind, the normalised text anywhere in the
// reading. Bound, a quote in the text is just a quote, while a percent sign or
// an underscore still matches as in any pattern.
QString ReadingLike(const QString& column);
QString Containing(const QString& text);

// Closes query, gives it the statement lines, binds params by name and opens it.
void Reopen(db::Query& query, const QStringList& sql, const QVariantMap& params = {});

} // namespace bankpickers
