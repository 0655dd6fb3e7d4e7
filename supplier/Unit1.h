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
// commands (see app/SuiteLink.h for the ones the suite link sets).
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

    // The supplier on screen.
    void Button1Click(); // load the supplier whose code BAN_01 holds
    void SB03Click();    // register
    void SB06Click();    // previous live supplier
    void SB07Click();    // next live supplier
    void SB08Click();    // clear for a new supplier
    void BAN_01Exit();
    void ED_02_1Exit();
    void E_CD_1Change();
    void E_CD_2Change();
    void E_CD_1DblClick();
    bool E_CD_1KeyPress(int key);
    void E_CD_2DblClick();
    bool E_CD_2KeyPress(int key);
    // The boxes' texts as registration reads them.
    SupplierScreen Screen() const;

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
    QLineEdit *BAN_01, *ED_01, *ED_02_1, *ED_02_2, *E_RYAKU, *ED_03, *ED_04, *ED_05, *ED_06, *ED_07, *ED_08, *ED_09,
        *ED_10, *ED_12, *ED_13, *E_INBOICE, *E_MAILE;
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
    QWidget* controlOf(QWidget* w) const;
    int panelHeight() const;

    QList<QWidget*> m_tabOrder; // every control, in screen order
    QList<QWidget*> m_stops;    // the stops of the Enter order
    QHash<QWidget*, std::function<void()>> m_onEnter;
    QHash<QWidget*, std::function<void()>> m_onExit;
    QHash<QWidget*, std::function<bool(int key)>> m_onKeyPress; // true when the field took the key
    QHash<QWidget*, std::function<void()>> m_onDoubleClick;
    void CleanUpLocal();
    void ShowSupplier(db::Query& query);
    void Browse(const QStringList& statement);

    bool m_firstShowingDone = false;
};

extern TForm1* Form1;

// Empties every plain edit box of the form (not combo boxes) whose name does
// not contain "_SYS_", and makes the program folder the working directory
// again, since every relative path of the program depends on it.
void ClearEditFields(QWidget* form);

// A plain text box: a QLineEdit of its own, not the editor inside a combo box.
bool IsPlainEdit(const QWidget* w);

// The plain text boxes on a form, in creation order, not those of the
// dialogs the form owns.
QList<QLineEdit*> PlainEditsOf(QWidget* form);
