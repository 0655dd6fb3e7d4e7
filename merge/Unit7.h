#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

class QEvent;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace db {
class Connection;
} // namespace db

// Folding a supplier registered twice into the one that stays: the rules,
// apart from the window.
namespace suppliermerge {

// Why the two code boxes' texts cannot be merged (a code missing or not a
// number, the same code twice, a supplier that is not there, or an upper one
// that was deleted); empty when they can. Reads MAS_SIIRE.
QString MergeProblem(db::Connection& suite, const QString& upperText, const QString& lowerText);

// Re-points every record of the suite's order, purchase and payment data
// from lower to upper and stamps lower deleted on today, all in one
// transaction: on any failure nothing has changed and the db::Error is
// thrown. The upper supplier's own row is not touched.
void MergeSuppliers(db::Connection& suite, int upper, int lower, const QDate& today);

} // namespace suppliermerge

// The master merge: the upper row names the supplier that stays, the lower
// row the one merged into it. Codes are typed, or picked from the search list
// (trad_sen2) by a double-click or by Enter while the row has no name yet;
// Enter with a code that finds exactly one supplier takes it without showing
// the list. Created once at start-up as Form7 and reused: the boxes keep
// their contents. Shown through modal::exec(), centred on its owner.
//
// OK refuses codes that cannot be merged with a notice and stays open; after
// the question, a No or a finished merge closes it with ResultOk, and a
// failed one reports "エラー: " and the server's message and closes with
// nothing changed.
class TForm7 : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ResultOk = 1;
    static constexpr int ResultCancel = 2;

    // suite: the suite database's connection; it must outlive the dialog.
    explicit TForm7(db::Connection& suite, QWidget* parent = nullptr);
    ~TForm7() override;

    // Handlers, named as the form's design names them. The key handlers
    // return true when they consumed the key.
    void E_G_CD1DblClick();
    void E_G_CD2DblClick();
    bool E_G_CD1KeyPress(int key);
    bool E_G_CD2KeyPress(int key);
    void BitBtn1Click();
    // The cancel button, Esc and the close box.
    void reject() override;

    QLineEdit* E_G_CD1; // the supplier that stays
    QLineEdit* E_G_NAME1;
    QLineEdit* E_G_CD2; // the supplier merged into it
    QLineEdit* E_G_NAME2;
    QPushButton* BitBtn1; // OK: the merge
    QPushButton* BitBtn2; // cancel

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* mainForm() const;
    void pick(QLineEdit* code, QLineEdit* name);
    bool quickPick(QLineEdit* code, QLineEdit* name, int key);

    db::Connection& m_suite;
};

extern TForm7* Form7;
