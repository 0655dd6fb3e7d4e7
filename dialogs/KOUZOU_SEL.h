#pragma once

#include <QString>

#include "db/Query.h"
#include "db/QueryModel.h"
#include "dialogs/Picker.h"

class QLineEdit;
class QPushButton;
class QTableView;

namespace db {
class Connection;
} // namespace db

// The code picker: a one-column list of names whose statement the caller
// supplies (the main screen's coded fields, the list table's trade-type
// filter), handing the chosen row back through SelCode and SelName. Created
// once at start-up as Form_kouzou_sel and reused.
//
// The caller closes FDQ_1, gives it a select yielding CD (an integer code)
// and NAME, opens it, sets the picker's width and position beside its field
// and shows it through modal::exec(). Showing reads the list again (rows the
// caller wrote meanwhile appear), makes the window as tall as the list and
// keeps it beside the main screen; a position of 0 or less, or none, means
// "not placed". FDQ_1 is also the main screen's scratch query; it is left open
// when the picker closes. Database errors are not caught here.
class TForm_kouzou_sel : public TPicker
{
    Q_OBJECT

public:
    // suite: the suite database's connection; it must outlive the dialog.
    explicit TForm_kouzou_sel(db::Connection& suite, QWidget* parent = nullptr);
    ~TForm_kouzou_sel() override;

    // Handlers, named as the dialog's design names them. The key and wheel
    // handlers return true when they consumed the event.
    void FormShow() override;
    // Confirms: SelCode takes the current row's CD (0 when it is not a whole
    // number), SelName its NAME (0 and "" on an empty list); closes with ResultOk.
    void BitBtn2Click();
    bool DBGrid1KeyPress(int key) { return listKeyPress(key); }
    void DBGrid1DblClick();
    bool DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta);

    QTableView* DBGrid1;
    QPushButton* BitBtn2; // OK
    QPushButton* BitBtn1; // cancel
    QLineEdit* Edit1;     // never shown: its height is the unit of the row height

    db::Query FDQ_1;
    db::QueryModel DataSource1;

protected:
    void listChosen() override { DBGrid1DblClick(); }
    bool centreOnShow() const override { return false; }
    bool listWheel(Qt::KeyboardModifiers modifiers, int delta) override
    {
        return DBGrid1MouseWheel(modifiers, delta);
    }
};

// The code picker's results: written when the user confirms, kept until the
// next confirmation.
extern int SelCode;
extern QString SelName;
extern TForm_kouzou_sel* Form_kouzou_sel;

// Ctrl+wheel over a picker's list zooms the list's font by a point per turn,
// between 14 (the size it opens with) and 25; delta is the wheel's vertical
// turn, below 1 meaning down (smaller). Returns whether the turn was the
// zoom's (Ctrl held); without Ctrl the list scrolls as usual. Shared by the
// code and trade-type pickers.
bool ZoomListFont(QTableView* list, Qt::KeyboardModifiers modifiers, int delta);
// The point size a list starts with.
constexpr int ListFontSize = 14;
