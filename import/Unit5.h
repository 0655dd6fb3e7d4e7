#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QPair>
#include <QPointer>

#include <functional>

#include "db/Query.h"
#include "db/QueryModel.h"
#include "import/TextImport.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTableView;
class TDM2;

// A group of radio buttons read as the index of the checked one.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT

public:
    TRadioGroup(const QStringList& items, QWidget* parent = nullptr);
    int itemIndex() const; // -1 when none is checked
    void setItemIndex(int index);
    QRadioButton* item(int index) const;

private:
    QButtonGroup* m_group;
};

// The grid model of the file's columns: the mapped code CD2 may be typed
// into; the typed text goes to the handler, which rewrites the row.
class TMappingModel : public db::QueryModel
{
    Q_OBJECT

public:
    static constexpr int CodeColumn = 2;
    using QueryModel::QueryModel;
    std::function<void(int row, const QString& text)> typed;

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
};

// The text import form "TXT取込": the mapping of a comma-separated file's
// columns to supplier fields, and the import run. Created once at start-up
// as Form_Txt_Con and shown modally by the main screen's import command,
// which puts the chosen file into Edit1 first.
//
// Every showing rebuilds the work tables of the local database: SIIRE_CON1,
// the importable fields, and SIIRE_CON2, the file's columns from its heading
// line, matched to the fields whose label equals the heading. Double-click
// maps a column through the column picker Form6, Delete unmaps it, a code
// typed into CD2 maps it to that field. "取　込" runs the import
// (textimport::Run) and closes the form.
//
// Long texts are shortened to what the main screen's boxes show: the form
// measures them in L_MOJI against the current widths of the boxes given to
// setWidthReferences(); without them texts are only held to their columns.
class TForm_Txt_Con : public QDialog
{
    Q_OBJECT

public:
    TForm_Txt_Con(TDM2& data, QWidget* parent = nullptr);
    ~TForm_Txt_Con() override;

    // The main screen's name box ED_02_1, e-mail box E_MAILE and mobile
    // phone box ED_12. Read at each run, so a resized screen counts.
    void setWidthReferences(QWidget* nameBox, QWidget* mailBox, QWidget* mobileBox);

    // Handlers, named as the form's design names them.
    void FormShow();
    void DBGrid1DblClick();
    bool DBGrid1KeyDown(int key); // true when it took the key
    // A code typed into the CD2 cell of row (0-based): maps the row to that
    // field as picking it would, 0 or nothing unmaps it. False, changing
    // nothing, for a code no field has.
    bool CD2Typed(int row, const QString& text);
    void BitBtn1Click();

    // The mapped file columns as the run reads them, in field-code order.
    QList<textimport::Mapping> Mapping();
    textimport::Fitting Fitting() const;

    QLineEdit* Edit1;
    QCheckBox* CheckBox1;
    TRadioGroup* RadioGroup1; // 0 入れ替え (replace), 1 追加登録 (append)
    QPushButton* BitBtn1;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QLabel* L_MOJI;
    QTableView* DBGrid1; // the file's columns (FDQuery2)
    QTableView* DBGrid2; // the fields (FDQuery1)

    db::Query FDQuery1; // SIIRE_CON1
    db::Query FDQuery2; // SIIRE_CON2
    // The field list as DBGrid2 and the column picker show it.
    db::QueryModel DataSource1{FDQuery1};

    // Esc and the close box, except while a run is under way.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMapping();
    void createWorkTable(const QString& table, const QList<QPair<QString, QString>>& columns);
    void executeLocal(const QStringList& lines, const QVariantMap& params = {});
    // Rewrites the mapping of the row and returns the grid to it.
    void setRowMapping(int row, const textimport::Field* field);
    void openColumns(int row = -1, int column = 0);
    QString mappedLabel(const db::Query& columns, int row) const;

    TDM2& m_data;
    TMappingModel m_columns{FDQuery2};
    QPair<int, QString> m_typed{-1, QString()}; // a code typed into a row, until its editor closes
    bool m_running = false;
    QPointer<QWidget> m_nameBox;
    QPointer<QWidget> m_mailBox;
    QPointer<QWidget> m_mobileBox;
};

extern TForm_Txt_Con* Form_Txt_Con;
