#pragma once

#include <QDialog>
#include <QString>

#include "db/Query.h"
#include "db/QueryModel.h"
#include "dialogs/Picker.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTableView;

namespace db {
class Connection;
} // namespace db

// The branch picker: finds a branch of one bank in the suite's MAS_BANK_S by
// its code or by a fragment of its half-width katakana reading, searching as
// the user types, and hands the chosen row back through SelBranchCode,
// SelBranchKana and SelBranchName. A search that finds nothing shows every
// branch of the bank instead. Created once at start-up as BANK_S_SELL and
// reused.
//
// The caller puts the bank code into E_CD_1 and the bank's name into
// E_GINKOU_1, optionally a search text into Edit1 (each change searches at
// once and the main screen reads FDQ_1's rows before deciding to show the
// picker), then shows it through modal::exec(). With no bank code (empty or
// 0) the list is left as it is. Database errors are not caught here.
class TBANK_S_SELL : public TPicker
{
    Q_OBJECT

public:
    // suite: the suite database's connection; it must outlive the dialog.
    explicit TBANK_S_SELL(db::Connection& suite, QWidget* parent = nullptr);
    ~TBANK_S_SELL() override;

    // Handlers, named as the dialog's design names them. The key handlers
    // return true when they consumed the key.
    void FormShow() override;
    void E_CD_1Change(); // for E_CD_1 and Edit1 alike
    bool Edit1KeyPress(int key);
    bool DBGrid1KeyPress(int key) { return listKeyPress(key); }
    bool DBGrid1KeyDown(int key) { return listKeyDown(key); }
    void DBGrid1DblClick();
    // Confirms: the results take the grid's current row (code 0 and an empty
    // reading when there is none) and the dialog closes with ResultOk.
    void BitBtn1Click();

    QFrame* Panel1;
    QLabel* Label1; // "銀行ＣＤ"
    QLineEdit* E_CD_1;
    QLabel* Label2; // "銀行名"
    QLineEdit* E_GINKOU_1;
    QLineEdit* Edit1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QTableView* DBGrid1;

    db::Query FDQ_1; // the grid's list
    db::Query FDQ_2; // reads the bank's name
    db::QueryModel DataSource1;

protected:
    bool previewKey(QWidget* target, int key) override;
    void listChosen() override { DBGrid1DblClick(); }

private:
    int bankCode() const;
    QString bankName(int bank);
    void searchBranches(int bank, bool onShowing);
    void listWholeBank(int bank);
};

// The branch picker's results: written when the user confirms, kept until the
// next confirmation. SelBranchName is written only when a branch was chosen.
extern int SelBranchCode;
extern QString SelBranchKana;
extern QString SelBranchName;
extern TBANK_S_SELL* BANK_S_SELL;

namespace pickers {

// The branch picker's list: the branches of bank that the search text picks,
// one branch by its code or those whose reading holds the text. While typing,
// "0" asks for branch 0 (a head office may be filed under it); on showing it
// is searched as a reading, and the list comes in branch order. Never a
// branch without a reading.
Statement BranchList(int bank, const QString& text, bool onShowing);
// Every branch of bank by branch code: the list when a search finds nothing.
Statement WholeBank(int bank);

} // namespace pickers
