#pragma once

#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "db/Query.h"
#include "db/QueryModel.h"
#include "dialogs/Picker.h"

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
class TBAN_SEL : public TPicker
{
    Q_OBJECT

public:
    // suite: the suite database's connection; it must outlive the dialog.
    explicit TBAN_SEL(db::Connection& suite, QWidget* parent = nullptr);
    ~TBAN_SEL() override;

    // Handlers, named as the dialog's design names them. The key handlers
    // return true when they consumed the key.
    void FormShow() override;
    void E_BANK_NAMEChange();
    bool E_BANK_NAMEKeyPress(int key);
    bool DBGrid1KeyPress(int key) { return listKeyPress(key); }
    bool DBGrid1KeyDown(int key) { return listKeyDown(key); }
    void DBGrid1DblClick();
    // Confirms: the results take the grid's current row (0 and empty texts
    // when there is none) and the dialog closes with ResultOk.
    void BitBtn1Click();

    QFrame* Panel1;
    QLineEdit* E_BANK_NAME;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QTableView* DBGrid1;

    db::Query FDQ_1;
    db::QueryModel DataSource1;

protected:
    bool previewKey(QWidget* target, int key) override;
    void listChosen() override { DBGrid1DblClick(); }

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

namespace pickers {

// The bank picker's list for the text in its search box: every bank, one
// bank by its code, or the banks whose reading holds the text; in code order.
Statement BankList(const QString& text);

} // namespace pickers
