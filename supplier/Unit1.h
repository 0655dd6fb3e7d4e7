#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class SupplierScreen;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace db {
class Query;
}

// The start-up settings, filled on the first showing and read by many
// commands (see suite/SuiteLink.h for the ones the suite link sets).
extern QString ProgramBaseName;
extern QString ProgramFolder;
extern QString SuiteFolder;
extern QString ComputerName;
extern QString CompanyName;
extern int DefaultClosingDay;
extern int DefaultPaymentDay;
extern QString DatabasePassword;
extern QString ExePath;
extern QString NetDatabasePath;
extern QString NetServer;

// Puts every start-up setting back to what a fresh process starts with, for
// a main screen made again in the same process (the screen tests do).
void ResetStartupSettings();

// The supplier master screen: the application's main window. It edits one
// supplier at a time and is worked from the keyboard — Enter and the arrows
// move through the fields in a fixed order, F1 to F12 fire the command bar,
// and holding Shift shows the second bank of rarer commands.
//
// The form is laid out in pixels at design size and scaled as a whole on the
// first showing (FormShow), because the commands place their pickers by the
// fields' positions.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers, named as the screen's design names them.
    void FormCreate();
    void FormShow();
    void FormResize();
    void SBS_01Click(); // the suite database link, run again with Shift+F1
    void Find_jump(bool forward);
    void focus_move();
    void E_CD_1Enter();
    void E_CD_1Exit();
    void KeepOnScreen();
    // Ends the program as a confirmed close does (the local database closed,
    // the scratch files removed), without asking: for a termination signal.
    void EndWithoutAsking();

    // The error that ended the first showing early; empty when it went through.
    QString startupError() const { return m_startupError; }

    // The supplier on screen.
    void Button1Click(); // load the supplier whose code BAN_01 holds
    void SB03Click();    // register
    void SB06Click();    // previous live supplier
    void SB07Click();    // next live supplier
    void SB08Click();    // clear for a new supplier
    void SB01Click();    // the manual
    void SB05Click();    // search list, then load the chosen supplier
    void SB09Click();    // the supplier list table
    void SB11Click();    // print the supplier list
    void SB10Click();    // nothing
    void SB12Click();    // end the program
    void SBS_04Click();  // delete the supplier on screen
    void SBS_06Click();  // back to the normal bank
    void SBS_08Click();  // merge two suppliers
    void SBS_09Click();  // import suppliers from a text file
    void SBS_12Click();  // tax kind of suppliers not registered for invoices
    void BAN_01Exit();
    void ED_02_1Exit();
    void E_INBOICEExit();
    void E_CD_1Change();
    void E_CD_2Change();
    void E_CD_1DblClick();
    bool E_CD_1KeyPress(int key);
    void E_CD_2DblClick();
    bool E_CD_2KeyPress(int key);
    // The boxes' texts as registration reads them.
    SupplierScreen Screen() const;

    // The coded fields: each code box shows its name, checks a typed code on
    // Enter, offers the code picker; each name box lists the names.
    void BAN_10Change() { CodeChange(BAN_10); }
    void BAN_11Change() { CodeChange(BAN_11); }
    void BAN_12Change() { CodeChange(BAN_12); }
    void BAN_13Change() { CodeChange(BAN_13); }
    void BAN_14Change() { CodeChange(BAN_14); }
    void BAN_20Change() { CodeChange(BAN_20); }
    void BAN_21Change() { CodeChange(BAN_21); }
    bool BAN_10KeyPress(int key) { return CodeKeyPress(BAN_10, key); }
    bool BAN_11KeyPress(int key) { return CodeKeyPress(BAN_11, key); }
    bool BAN_12KeyPress(int key) { return CodeKeyPress(BAN_12, key); }
    bool BAN_13KeyPress(int key) { return CodeKeyPress(BAN_13, key); }
    bool BAN_14KeyPress(int key) { return CodeKeyPress(BAN_14, key); }
    bool BAN_20KeyPress(int key) { return CodeKeyPress(BAN_20, key); }
    bool BAN_21KeyPress(int key) { return CodeKeyPress(BAN_21, key); }
    void BAN_10DblClick() { CodeDblClick(BAN_10); }
    void BAN_11DblClick() { CodeDblClick(BAN_11); }
    void BAN_12DblClick() { CodeDblClick(BAN_12); }
    void BAN_13DblClick() { CodeDblClick(BAN_13); }
    void BAN_14DblClick() { CodeDblClick(BAN_14); }
    void BAN_20DblClick() { CodeDblClick(BAN_20); }
    void BAN_21DblClick() { CodeDblClick(BAN_21); }
    void C_BOX_10DropDown() { NamesDropDown(BAN_10); }
    void C_BOX_11DropDown() { NamesDropDown(BAN_11); }
    void C_BOX_12DropDown() { NamesDropDown(BAN_12); }
    void C_BOX_13DropDown() { NamesDropDown(BAN_13); }
    void C_BOX_14DropDown() { NamesDropDown(BAN_14); }
    void C_BOX_20DropDown() { NamesDropDown(BAN_20); }
    void C_BOX_21DropDown() { NamesDropDown(BAN_21); }
    void C_BOX_10Click() { NamePicked(BAN_10); }
    void C_BOX_11Click() { NamePicked(BAN_11); }
    void C_BOX_12Click() { NamePicked(BAN_12); }
    void C_BOX_13Click() { NamePicked(BAN_13); }
    void C_BOX_14Click() { NamePicked(BAN_14); }
    void C_BOX_20Click() { NamePicked(BAN_20); }
    void C_BOX_21Click() { NamePicked(BAN_21); }
    // The postal code fills the address; the labels 科目 and 工種 and the
    // button 銀行マスター start sibling programs.
    bool ED_08KeyPress(int key);
    void ED_08DblClick();
    void Label18DblClick();
    void Label20DblClick();
    void SpeedButton1Click();

    // Gives the focus to each control in turn, so that leaving and entering
    // each runs as it would for the user.
    void FocusChain(std::initializer_list<QWidget*> controls);
    // focus_move runs for every change of the focused control; installing it
    // again after a dialog is harmless.
    void InstallFocusHandler();

    // The control the focus handler last processed as entered.
    QWidget* LastFocused = nullptr;
    bool EnterMovesFocus = true;

    // Command bar.
    QFrame* Panel6;
    QWidget* ToolBar3;
    QWidget* ToolBar1;
    QWidget* ToolBar2;
    QList<QToolButton*> normalBank; // SB01 … SB12
    QList<QToolButton*> shiftBank;  // SBS_01 … SBS_12
    QList<QLabel*> keyLabels;       // label01 … label12
    QToolButton *SB01, *SB02, *SB03, *SB04, *SB05, *SB06, *SB07, *SB08, *SB09, *SB10, *SB11, *SB12;
    QToolButton *SBS_01, *SBS_02, *SBS_03, *SBS_04, *SBS_05, *SBS_06, *SBS_07, *SBS_08, *SBS_09, *SBS_10,
        *SBS_11, *SBS_12;
    QProgressBar* ProgressBar1;
    QFrame* Panel1;

    // The supplier's fields.
    QLineEdit *BAN_01, *ED_01, *ED_02_1, *ED_02_2, *E_RYAKU, *ED_03, *ED_04, *ED_05, *ED_06, *ED_07, *ED_08,
        *ED_09, *ED_10, *ED_12, *ED_13, *E_INBOICE, *E_MAILE;
    QCheckBox* CheckBox1;
    QLineEdit *NEN05, *TUKI05, *HI05, *NEN06, *TUKI06, *HI06;
    QLineEdit *E_CD_1, *E_GINKOU_1, *E_CD_2, *E_GINKOU_2, *E_CD_3, *E_GINKOU_3, *E_GINKOU_4;
    QLineEdit *BAN_18, *BAN_16, *BAN_17, *BAN_08, *BAN_09;
    QLineEdit *BAN_10, *BAN_11, *BAN_12, *BAN_13, *BAN_14, *BAN_20, *BAN_21;
    QComboBox *C_BOX_10, *C_BOX_11, *C_BOX_12, *C_BOX_13, *C_BOX_14, *C_BOX_20, *C_BOX_21;
    QComboBox* ComboBox1;
    QLineEdit *ED_11, *BAN_15, *ED_14;
    QLabel *Label36, *Label37, *Label18, *Label20;
    QToolButton* SpeedButton1;
    QPushButton* Button1;
    QLabel* L_MOJI;

    // The Enter order, and every control in screen order (stops and others).
    QList<QWidget*> enterOrder() const { return m_stops; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildCommandBar();
    void buildFields();
    void buildNameFields();
    void buildBankFields();
    void buildCodeFields();
    void buildRateFields();
    void buildPanelTools();
    void buildTabOrder();
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp();
    bool FormKeyPress(int key);
    void FirstShowing();
    void SuiteLinkOrThrow();
    void OpenDatabases();
    void ReadSettings();
    void CheckSchema();
    void ApplyCompanyName();
    void leave(QLineEdit* box);
    void enter(QLineEdit* box);
    void pickBank();
    void pickBranch();
    void enteredBankCode(QLineEdit* box);
    QWidget* controlOf(QWidget* w) const;
    int panelHeight() const;

    QList<QWidget*> m_tabOrder; // every control, in screen order
    QList<QWidget*> m_stops;    // the stops of the Enter order
    QHash<QWidget*, std::function<void()>> m_onEnter;
    QHash<QWidget*, std::function<void()>> m_onExit;
    QHash<QWidget*, std::function<bool(int key)>> m_onKeyPress; // true when the field took the key
    QHash<QWidget*, std::function<void()>> m_onDoubleClick;
    void CleanUpLocal();
    void ShowNormalBank();

    enum class Trigger { Enter, DoubleClick, DropDown };
    // One coded field: its boxes, its lookups and where its picker opens.
    // How one coded field looks its code and names up.
    struct CodedField
    {
        QLineEdit* box = nullptr;
        QComboBox* names = nullptr;
        QStringList nameSql;           // the name of the code bound as :CODE
        bool nameByNumber = false;     // :CODE is the text read as a number, 0 when it is not one
        QStringList checkSql;          // Enter: the check starts with these lines,
        QString checkWhere;            // then this condition (:CODE) when the box holds a code,
        bool checkNeedsNumber = false; // (a number above 0 for these fields)
        QString checkTail;             // then this order
        QStringList enterList;         // the picker's list after Enter
        QStringList clickList;         // the picker's list after a double-click
        QStringList fillSql;           // the names the drop-down lists
        QStringList pickSql;           // the code of a name bound as :NAME
        std::function<int()> clickWidth;
        std::function<int()> enterWidth;
        bool nameFollowsCode = false;  // a pick sets the code only; its name follows from the change
        bool capDropDown = false;      // long lists drop down 30 rows at a time
        bool keepsFocusHandler = true; // all but the amount rounding field install it again
    };
    void buildCodedFields();
    void CodeChange(QLineEdit* box);
    bool CodeKeyPress(QLineEdit* box, int key);
    void CodeDblClick(QLineEdit* box);
    void NamesDropDown(QLineEdit* box);
    // index: the item picked from the list; -1 takes the box's text.
    void NamePicked(QLineEdit* box, int index = -1);
    void InvoiceRule();
    void MaintainFixedRows(QLineEdit* box, Trigger trigger, int count);
    void PlacePicker(QLineEdit* box, int width);
    void TakePostalResults();
    void StartSibling(const QString& program);

    QHash<QLineEdit*, CodedField> m_codes;
    void ShowSupplier(db::Query& query);
    void Browse(const QStringList& statement);

    bool m_firstShowingDone = false;
    QString m_startupError;
};

extern TForm1* Form1;

class TDM2;

// Creates the forms that follow the main screen, in the program's order,
// owned by the main screen: the calculator, the message dialog, the pickers
// and the other dialogs. Every dialog reaches the suite through data.
void CreateForms(TForm1& mainScreen, TDM2& data);

// Empties every plain edit box of the form (not combo boxes) whose name does
// not contain "_SYS_", and makes the program folder the working directory
// again, since every relative path of the program depends on it.
void ClearEditFields(QWidget* form);

// A plain text box: a QLineEdit of its own, not the editor inside a combo box.
bool IsPlainEdit(const QWidget* w);

// The plain text boxes on a form, in creation order, not those of the
// dialogs the form owns.
QList<QLineEdit*> PlainEditsOf(QWidget* form);
