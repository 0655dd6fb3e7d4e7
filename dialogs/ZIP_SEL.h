#pragma once

#include <QString>

#include "db/Query.h"
#include "db/QueryModel.h"
#include "dialogs/Picker.h"

class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QToolButton;

namespace db {
class Connection;
} // namespace db

// The postal-code dictionary: looks codes and place names up in the suite's
// LOOK_ZIP and hands the chosen code and address back through SelZip,
// SelKen, SelTiku1 and SelTiku2; it also replaces the whole table with the
// national postal file. Created once at start-up as Form_ZIP and reused: the
// two search boxes keep their text between showings.
//
// The caller may write a code into Edit2 and gives FDQ_1 its statement and
// opens it before showing the dialog through modal::exec(); with both boxes
// empty the dialog lists the caller's rows, otherwise it searches at once.
// A caller that moves the dialog before showing it keeps that place;
// otherwise it opens centred on its owner. Database errors of the searches
// are not caught here; those of the import are reported and leave the table
// as it was.
class TForm_ZIP : public TPicker
{
    Q_OBJECT

public:
    // suite: the suite database's connection; it must outlive the dialog.
    explicit TForm_ZIP(db::Connection& suite, QWidget* parent = nullptr);
    ~TForm_ZIP() override;

    // Handlers, named as the dialog's design names them. The key handlers
    // return true when they consumed the key.
    void FormShow() override;
    void FormClose();
    bool Edit2KeyPress(int key);
    bool Edit1KeyPress(int key);
    // Reset: empties the address box and lists every row of the table.
    void Button1Click();
    // Search: one hit is taken at once, several put the focus on the list.
    void Button2Click();
    // Confirms the list's current row (nothing is written on an empty list)
    // and closes with ResultOk.
    void BitBtn3Click();
    void DBGrid1DblClick();
    bool DBGrid1KeyPress(int key) { return listKeyPress(key); }
    bool DBGrid1KeyDown(int key) { return listKeyDown(key); }
    // Imports a national postal file the user picks.
    void SpeedButton1Click();
    // Opens the import guide YUUBIN.mht of the working directory, if there.
    void SpeedButton2Click();

    void done(int result) override;

    QFrame* Panel1;
    QLabel* Label1; // "郵便番号"
    QLineEdit* Edit2;
    QLabel* Label2; // "住所"
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* BitBtn3; // OK
    QPushButton* BitBtn1; // Cancel
    QPushButton* BitBtn2; // Cancel as well
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QProgressBar* ProgressBar1;
    QTableView* DBGrid1;
    QFileDialog* OpenDialog1;

    db::Query FDQ_1;
    db::QueryModel DataSource1;

protected:
    bool previewKey(QWidget* target, int key) override;
    void listChosen() override { DBGrid1DblClick(); }
    bool centreOnShow() const override;

private:
    void showImportProgress(int done, int total);

    db::Connection& m_suite;
    int m_progressShown = 0;
};

// The dictionary's results, written when the user confirms a row and kept
// until the next confirmation: the code as NNN-NNNN, the prefecture, the
// city and the district (empty for a remark such as "以下に掲載がない場合").
extern QString SelZip;
extern QString SelKen;
extern QString SelTiku1;
extern QString SelTiku2;
extern TForm_ZIP* Form_ZIP;

namespace pickers {

// The dictionary's list as it is shown: codes beginning with the code box's
// digits, or places holding its text; places holding the address box's text.
// Every text is bound, so a quote in a place name breaks nothing; a "%" or
// "_" typed matches as in a pattern.
Statement ZipList(const QString& zipText, const QString& address);
// The narrowing search (the search button, Enter in a box): a code box that
// is no number matches no code, only places and cities; the address is also
// looked for in the readings, after the same conversions the readings were
// typed with.
Statement ZipNarrowing(const QString& zipText, const QString& address);

} // namespace pickers
