#pragma once

#include <QDialog>
#include <QPointer>

class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

// The program's one message dialog: every confirmation and every notice of its
// own goes through it. Created once at start-up as MASSAGE_FORM and reused.
// A caller sets MessageDialogMode and LABEL's text, optionally centreOn(), shows
// it through modal::exec() and takes result 1 as Yes/OK, anything else as No
// (ShowMessageDialog() in dialogs/Messages.h does all of that).
class TMASSAGE_FORM : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ResultYes = 1; // BitBtn1
    static constexpr int ResultNo = 2;  // BitBtn2, and Esc or the close box

    explicit TMASSAGE_FORM(QWidget* parent = nullptr);
    ~TMASSAGE_FORM() override;

    // Centres the next showing on widget instead of the screen.
    void centreOn(QWidget* widget);

    // Lays the dialog out for LABEL's text and the mode; runs on every showing.
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    // Every way of closing ends here: the next caller starts from a notice.
    void FormClose();

    void done(int result) override;
    // Esc and the close box answer like the No button.
    void reject() override;

    QLabel* LABEL;
    QPlainTextEdit* Memo1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void placeCentred();

    QPointer<QWidget> m_centreOn;
};

// Values of MessageDialogMode.
inline constexpr int MessageNotice = 0;        // one button "ＯＫ"
inline constexpr int MessageAskDefaultNo = 1;  // "はい &Y" / "いいえ &N", Enter answers No
inline constexpr int MessageAskDefaultYes = 2; // the same, Enter answers Yes

// The mode of the next showing; any value but 1 and 2 shows a notice. Closing
// the dialog sets it back to MessageNotice.
extern int MessageDialogMode;
// 0 from the moment the dialog is shown, 1 once Yes/OK was pressed; keeps its
// value until the next showing.
extern int MessageDialogAnswer;
extern TMASSAGE_FORM* MASSAGE_FORM;
