#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include "db/QueryModel.h"
#include "dialogs/Picker.h"
#include "search/CsvExport.h"
#include "search/trad_sel.h"

class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TDM2;

namespace db {
class Query;
} // namespace db

// The list table's rules, apart from the window.
namespace suppliertable {

// The statement of the list: live suppliers but code 0, narrowed by a name
// (main or short name) and an address (either line) anywhere in the text,
// and by a trade type when tradeType is above 0; ordered by sortField. The
// texts are bound; the patterns keep the wildcards a clerk may type.
suppliersearch::Statement ListStatement(const QString& name, const QString& address, int tradeType,
                                        const QString& sortField, bool descending);

// The grid's 31 columns: field, title, design width, alignment.
QList<db::QueryModel::Column> Columns();

// The point size after one Ctrl+wheel turn: down (delta below 1) stops at
// 12, up has no limit.
int ZoomedSize(int size, int delta);

// The text a column of field must be wide enough for after a zoom; empty
// for a field that has none.
QString SampleText(const QString& field);

// Whether the company (LOOK_KIHON row 0) is the one customer whose list
// shows the discount rate: its name holds "ネリダス".
bool ShowsDiscount(const QString& companyName);

// columns with the discount column "歩引" (KIN_03) after the cooperation fee
// KIN_01, as wide as it and centred; the e-mail column after it gets
// mailWidth, left alignment and the title "E_MAILE". Unchanged when there
// is no KIN_01 or a KIN_03 column already.
QList<db::QueryModel::Column> WithDiscountColumn(QList<db::QueryModel::Column> columns, int mailWidth);

// The export of the list: a title line with the columns' titles (a column
// without one by its field's name), then every row of suppliers from the
// first, each value as the grid shows it through the field's display format,
// a CHAR column without its padding blanks, a field the query lacks empty.
// Reads the whole result; progress gets (rows written, rows).
csvexport::Writer ExportRows(db::Query& suppliers, const QList<db::QueryModel::Column>& columns,
                             const std::function<void(int done, int total)>& progress = {});

} // namespace suppliertable

// The supplier list table: every live supplier in one read-only grid,
// narrowed as the clerk types a name, an address or a trade type, sorted by
// a title click, zoomed with Ctrl+wheel, exported to a CSV file. Created
// once at start-up as Form8 and shown modally (maximised) by the main
// screen's list command; the filters, the sort and the zoom stay from one
// showing to the next.
//
// It works on the data module's FDQ_1 through DataSource1, and leaves that
// query on the list's search: the printed list prints what it shows (opened
// again if switching the connection off closed it meanwhile). The
// grid reads rows from the server as it scrolls, so a hundred thousand
// suppliers open at once. Button1Click() and DBGrid1TitleClick() throw
// db::Error; the same searches started by the clerk's typing and clicks show
// their errors in the standard error box.
class TForm8 : public TPicker
{
    Q_OBJECT

public:
    TForm8(TDM2& data, QWidget* parent = nullptr);
    ~TForm8() override;

    // Where the working directory goes back to after the save dialog (the
    // main screen's ProgramFolder, read when the export runs). Unset, the
    // export keeps the working directory the dialog found.
    void setProgramFolder(const QString* folder) { m_programFolder = folder; }

    // The one customer's installation (its company name holds "ネリダス")
    // shows the discount rate: a column "歩引" for KIN_03 after "協力費率",
    // as wide and centred; the e-mail column after it becomes mailWidth
    // wide, left-aligned and titled "E_MAILE". Called once at start-up;
    // calling it again changes nothing.
    void AddDiscountColumn(int mailWidth);

    // Handlers, named as the form's design names them. The key and wheel
    // handlers return true when they consumed the event.
    void FormShow() override;
    void FormResize();
    void Button1Click();
    // The list follows every keystroke in the name and address boxes.
    void E_NAMEChange();
    // Sorts by the clicked grid column, then turns the shared direction
    // round; nothing while the list is closed.
    void DBGrid1TitleClick(int column);
    void BAN_13Change();
    void BAN_13DblClick();
    void C_BOX_13Click();
    void C_BOX_13DropDown();
    bool DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta);
    // The save dialog, then ExportTo() the chosen file.
    void BitBtn2Click();
    bool FormKeyDown(int key);
    bool FormKeyPress(int key);
    void E_NAMEExit();
    void DBGrid1Enter();
    void BAN_13Enter();
    void Find_jump(bool forward);
    // The focus handler while the list is shown: highlights the box entered
    // and runs the exit and enter handlers of the boxes and the grid.
    void focus_move();

    // Writes the list as the grid shows it (visible columns, display texts)
    // to path. Writes nothing for a closed or empty list. A value with a
    // character code page 932 cannot hold is written with '?' only when the
    // clerk agrees; a file that cannot be written is reported with the
    // reason. Returns whether the file was written.
    bool ExportTo(const QString& path);

    void done(int result) override;

    // Form state: the field the list is ordered by ("T_CD" at first), and
    // whether Enter and the arrows move between the controls (1) or stay
    // with the control (0).
    QString SortField = QStringLiteral("T_CD");
    int ArrowKeysNavigate = 1;
    int EnterNavigates = 1;
    // The control focus_move last processed as entered.
    QWidget* LastFocused = nullptr;

    QFrame* Panel1;
    QLineEdit* E_NAME;
    QLineEdit* E_ADD;
    QLineEdit* BAN_13;
    QComboBox* C_BOX_13;
    QPushButton* Button1; // never shown: the search
    QPushButton* BitBtn2; // ファイル出力
    QPushButton* BitBtn1; // 閉じる
    QLabel* Label1;       // the two help lines
    QLabel* Label2;
    QLabel* L_MOJI; // never shown: measures texts for the zoom
    QTableView* DBGrid1;
    QFileDialog* SaveDialog1;

    db::Query& FDQ_1;
    db::QueryModel& DataSource1;

protected:
    bool previewKey(QWidget* target, int key) override;
    bool centreOnShow() const override { return false; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool listWheel(Qt::KeyboardModifiers modifiers, int delta) override
    {
        return DBGrid1MouseWheel(modifiers, delta);
    }
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* controlOf(QWidget* w) const;
    void setColumnWidths();
    int textWidth(const QString& text) const;
    // Runs what the clerk started; a database error goes to the error box.
    void reporting(const std::function<void()>& action);

    QList<QWidget*> m_tabOrder;
    const QString* m_programFolder = nullptr;
};

extern TForm8* Form8;
