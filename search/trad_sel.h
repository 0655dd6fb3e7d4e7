#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVariantMap>

#include <functional>

#include "db/Query.h"
#include "db/QueryModel.h"
#include "dialogs/Picker.h"

class QCheckBox;
class QEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace db {
class Connection;
} // namespace db

// The result of the supplier search list, read by the main screen's search
// and the merge after the list has closed: the chosen supplier's code in
// decimal ("0" when nothing was chosen) and its main name. Browsing to the
// previous or next supplier writes the code too.
extern QString SelectedSupplierCode;
extern QString SelectedSupplierName;

// The direction of the next title-click sort, 1 for descending. Shared with
// the supplier list table, so clicks in either alternate one direction; it is
// never reset while the program runs.
extern int SortDescending;

// The search list's rules, kept apart from the window so that they can be
// read and tested on their own. Every text the user typed reaches the server
// as a bound parameter; the LIKE patterns keep the wildcards a user may type.
namespace suppliersearch {

// A statement and the values of its :NAME parameters.
struct Statement
{
    QStringList sql;
    QVariantMap params;
};

// The second form of a search key: the reading as readings are stored, in
// half-width katakana (ﾔﾏﾀﾞ, やまだ and ヤマダ all give ﾔﾏﾀﾞ).
QString ReadingForm(QStringView key);

// Which search a showing or Enter runs: by the key when one is typed, else by
// the trade type when one is given (all suppliers when nobody carries it),
// else all suppliers.
enum class SearchBranch { Key, TradeType, All };
SearchBranch SearchBranchFor(const QString& key, const QString& tradeType);

// The searches of the list (only live suppliers, never code 0). byKey orders
// by the reading instead of by code.
Statement KeySearch(const QString& key, bool prefix, bool byKey);
// tradeType > 0 lists the suppliers carrying that trade type; anything else
// adds no condition.
Statement TradeTypeSearch(int tradeType, bool byKey);
Statement AllSuppliers(bool byKey);

// The order line of the next title-click sort by field; flips SortDescending.
QString NextOrderLine(const QString& field);
// The sorts of a title click, each ending with orderLine. Their plain lists
// take every live row, code 0 included.
Statement KeySort(const QString& key, bool prefix, const QString& orderLine);
// The suppliers carrying the trade type or having executed work of it
// (DAT_JIKKOU); a code ending in 00 (and 0) stands for its whole major class.
Statement TradeTypeSort(int tradeType, const QString& orderLine);
Statement AllSort(const QString& orderLine);

// The short name OK completes from a main name, before it is cut to a line:
// the company forms abbreviated, blanks of both widths gone, half-width.
QString ShortNameFrom(QStringView mainName);
// The two completions OK writes back to the chosen supplier, each through
// statements (the list's statement query): the short name when it had none,
// and the trade type the list was searched for when the supplier had none.
void StoreShortName(db::Query& statements, int code, const QString& shortName);
void StoreTradeType(db::Query& statements, int code, int tradeType);
// What a word-wrapping box of lineWidth pixels in font shows on its first
// line: up to the first line break, and no more than fits (broken after the
// last blank that fits, else between characters; one character at least).
QString FirstDisplayLine(const QString& text, const QFont& font, int lineWidth);
// The width the text of a word-wrapping box has, inside its frame and margins.
int TextWidthOf(const QPlainTextEdit& box);

} // namespace suppliersearch

// The supplier search list: live suppliers of MAS_SIIRE found by a key (part
// of the reading or the name, a telephone number or its last four digits, a
// code) or by a trade type, sorted by clicking a title, and handed back
// through SelectedSupplierCode and SelectedSupplierName. Created once at
// start-up as trad_sen2 and reused: the key, the two check boxes and the
// list's zoom stay from one showing to the next, the trade-type box is
// emptied at each.
//
// The caller places it (move()) and shows it through modal::exec(); result 1
// means a supplier was chosen. Showing searches. The list is read from the
// server as it scrolls, so a hundred thousand suppliers open at once.
// Button1Click() and DBGrid1TitleClick() throw db::Error; the same searches
// started by the user's keys, clicks and check boxes report their errors in
// the standard error box and leave the list closed.
class Ttrad_sen2 : public TPicker
{
    Q_OBJECT

public:
    // suite: the suite database's connection; it must outlive the dialog.
    explicit Ttrad_sen2(db::Connection& suite, QWidget* parent = nullptr);
    ~Ttrad_sen2() override;

    // Handlers, named as the dialog's design names them. The key and wheel
    // handlers return true when they consumed the event.
    void FormShow() override;
    void FormClose();
    // The search. With both boxes empty and no live supplier at all it
    // publishes "0" and closes the list as a cancel.
    void Button1Click();
    // Sorts by the clicked column (a grid column number); nothing while the
    // list is closed.
    void DBGrid1TitleClick(int column);
    static QVariant FDQ_1CalcFields(const db::Query& query, int row);
    bool Edit1KeyPress(int key);
    bool DBGrid1KeyPress(int key) { return listKeyPress(key); }
    bool DBGrid1KeyDown(int key) { return listKeyDown(key); }
    void DBGrid1DblClick();
    bool DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta);
    // OK on the list's current row: publishes it, completes its short name
    // and, after a trade-type search, offers to set its trade type; closes
    // with ResultOk also when a database error was reported on the way.
    void BitBtn2Click();
    // Cancel and Esc: publishes "0" and an empty name; closes with ResultCancel.
    void BitBtn1Click();
    // Picks a trade type with KOUSYU_MAS and searches by it.
    void Edit3DblClick();

    void done(int result) override;

    QFrame* Panel1;
    QLineEdit* Edit3;     // trade-type code
    QLineEdit* Edit1;     // search key
    QCheckBox* CheckBox1; // 50音順: by reading instead of by code
    QCheckBox* CheckBox2; // 検索 先頭一致: prefix instead of substring
    QPushButton* Button1; // never shown: the search
    QPushButton* BitBtn1; // cancel
    QPushButton* BitBtn2; // OK
    QTableView* DBGrid1;
    QPlainTextEdit* Memo1; // never shown: where OK measures a short name
    QLabel* Label3;        // the two help lines
    QLabel* Label4;

    db::Query FDQ_1;
    db::QueryModel DataSource1;

protected:
    bool previewKey(QWidget* target, int key) override;
    void listChosen() override { DBGrid1DblClick(); }
    // Callers place the list themselves.
    bool centreOnShow() const override { return false; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool listWheel(Qt::KeyboardModifiers modifiers, int delta) override
    {
        return DBGrid1MouseWheel(modifiers, delta);
    }

private:
    void open(const suppliersearch::Statement& statement);
    void requireSupplierRecord();
    void fitTitles();
    void repairOldTable();
    void closeAsCancel();
    // Runs a search the user started; its error goes to the error box.
    void reporting(const std::function<void()>& search);

    db::Connection& m_suite;
    db::Query m_statement; // the schema repair and OK's updates
};

extern Ttrad_sen2* trad_sen2;
