#pragma once

#include <memory>

#include "dialogs/Picker.h"

class QPushButton;
class QTableView;

namespace db {
class Query;
class QueryModel;
} // namespace db

// The column picker of the text import: its list of importable supplier
// fields, from which the user picks the one a file column goes to. Created
// once at start-up as Form6 and reused.
//
// The import hands it its own field list with setSource() and shows it through
// modal::exec(); the grid and the list move together, so after ResultOk the
// picked field is the list's current row. Only Enter and a double-click
// pick; Esc and Cancel give ResultCancel.
class TForm6 : public TPicker
{
    Q_OBJECT

public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    // The list the grid shows (CD, NAME01, TYPE), nullptr for none. The grid
    // keeps columns of its own, so the caller's grids over the same query
    // are left as they are. Forgotten when the query is destroyed.
    void setSource(db::Query* query);
    db::Query* source() const;

    // Handlers, named as the dialog's design names them. The key handler
    // returns true when it consumed the key.
    void BitBtn1Click(); // closes with ResultOk on the grid's current row
    bool DBGrid2KeyPress(int key) { return listKeyPress(key); }
    void DBGrid2DblClick();

    QTableView* DBGrid2;
    QPushButton* BitBtn1; // OK
    QPushButton* BitBtn2; // cancel

protected:
    void listChosen() override { DBGrid2DblClick(); }

private:
    void detach();

    std::unique_ptr<db::QueryModel> m_model;
};

extern TForm6* Form6;
