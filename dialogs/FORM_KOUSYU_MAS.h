#pragma once

#include <QString>
#include <QVariant>

#include "db/Query.h"
#include "db/QueryModel.h"
#include "dialogs/Picker.h"

class QFrame;
class QPushButton;
class QTableView;

namespace db {
class Connection;
} // namespace db

// The trade-type picker: the suite's trade types (MAS_KOUSYU_02), major
// category headings and their minor categories, handing the chosen one back
// through the SelectedTradeType… results. A trade type's code is
// BL_KUBUN*100+BM_KUBUN; a heading has BM_KUBUN 0. Created once at start-up as
// KOUSYU_MAS and reused.
//
// A caller may close FDQ_1 and give it any select yielding KOUSYU (the code)
// and NAME_01 (the name), open it, then show the picker through
// modal::exec(); showing opens the list if nobody did. The picker opens as
// tall as the first monitor allows, centred across its owner. Database
// errors are not caught here.
class TKOUSYU_MAS : public TPicker
{
    Q_OBJECT

public:
    // suite: the suite database's connection; it must outlive the dialog.
    explicit TKOUSYU_MAS(db::Connection& suite, QWidget* parent = nullptr);
    ~TKOUSYU_MAS() override;

    // Handlers, named as the dialog's design names them. The key and wheel
    // handlers return true when they consumed the event.
    void FormShow() override;
    // The CD column of a row: a minor category shows its full code, a
    // heading its major number.
    static QVariant FDQ_1CalcFields(const db::Query& query, int row);
    // Confirms the current row into the results (all 0 and "" on an empty
    // list) and closes with ResultOk.
    void BitBtn1Click();
    bool DBGrid1KeyPress(int key) { return listKeyPress(key); }
    void DBGrid1DblClick();
    bool DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta);

    QFrame* Panel1;
    QPushButton* BitBtn1; // OK
    QPushButton* BitBtn2; // cancel
    QTableView* DBGrid1;

    db::Query FDQ_1;
    db::QueryModel DataSource1;

protected:
    void listChosen() override { DBGrid1DblClick(); }
    bool listWheel(Qt::KeyboardModifiers modifiers, int delta) override
    {
        return DBGrid1MouseWheel(modifiers, delta);
    }
};

// The trade-type picker's results: written when the user confirms, kept
// until the next confirmation.
extern int SelectedTradeTypeCode;  // KOUSYU, e.g. 302
extern int SelectedTradeTypeMajor; // KOUSYU / 100, e.g. 3
extern int SelectedTradeTypeMinor; // KOUSYU mod 100, e.g. 2; 0 for a heading
extern QString SelectedTradeTypeName;
extern int SelectedTradeTypeRecNo; // the row's number in the list, from 1
extern TKOUSYU_MAS* KOUSYU_MAS;
