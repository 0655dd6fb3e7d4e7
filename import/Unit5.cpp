#include "import/Unit5.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "db/Schema.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "dialogs/Picker.h"
#include "dialogs/Unit6.h"
#include "suite/Unit2.h"
#include "util/Numbers.h"

TForm_Txt_Con* Form_Txt_Con = nullptr;

namespace {

using textimport::Field;

const QString kColumnsSql = QStringLiteral("select * from SIIRE_CON2 order by CD");
const QString kMappedSql = QStringLiteral("select * from SIIRE_CON2 where CD2>0 order by CD2");
const QString kFieldsSql = QStringLiteral("select * from SIIRE_CON1 order by CD");

QString text(const db::Query& q, int row, const char* field)
{
    const int i = q.fieldIndex(QLatin1String(field));
    return i < 0 ? QString() : q.valueAt(row, i).toString();
}

int number(const db::Query& q, int row, const char* field)
{
    const int i = q.fieldIndex(QLatin1String(field));
    return i < 0 ? 0 : q.valueAt(row, i).toInt();
}

// The mapping statement's lines: the code, then the label, column and kind
// of the field where it has them, then the condition.
QStringList mappingStatement(const Field& field, const QString& where, QVariantMap& params)
{
    QStringList lines{QStringLiteral("UPDATE SIIRE_CON2 set CD2=:CD2")};
    params.insert(QStringLiteral("CD2"), field.code);
    if (!field.label.isEmpty()) {
        lines << QStringLiteral(",RETU_NAME2=:RETU_NAME2");
        params.insert(QStringLiteral("RETU_NAME2"), field.label);
    }
    if (!field.column.isEmpty()) {
        lines << QStringLiteral(",RETU_NAME=:RETU_NAME");
        params.insert(QStringLiteral("RETU_NAME"), field.column);
    }
    if (!field.kind.isEmpty()) {
        lines << QStringLiteral(",TYPE=:TYPE");
        params.insert(QStringLiteral("TYPE"), field.kind);
    }
    lines << where;
    return lines;
}

} // namespace

// ---------------------------------------------------------------------------

TRadioGroup::TRadioGroup(const QStringList& items, QWidget* parent)
    : QGroupBox(parent), m_group(new QButtonGroup(this))
{
    auto* layout = new QHBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        layout->addWidget(button);
    }
}

int TRadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (QAbstractButton* button = m_group->button(index))
        button->setChecked(true);
}

QRadioButton* TRadioGroup::item(int index) const
{
    return static_cast<QRadioButton*>(m_group->button(index));
}

// ---------------------------------------------------------------------------

Qt::ItemFlags TMappingModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QueryModel::flags(index);
    if (index.isValid() && index.column() == CodeColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

bool TMappingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != CodeColumn || role != Qt::EditRole || !typed)
        return false;
    typed(index.row(), value.toString());
    return true;
}

// ---------------------------------------------------------------------------

TForm_Txt_Con::TForm_Txt_Con(TDM2& data, QWidget* parent)
    : QDialog(parent), FDQuery1(data.FDConnection_L), FDQuery2(data.FDConnection_L), m_data(data)
{
    Form_Txt_Con = this;
    setObjectName(QStringLiteral("Form_Txt_Con"));
    setWindowTitle(QStringLiteral("TXT取込"));
    setFont(pickers::PickerFont());

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, false);

    CheckBox1 = new QCheckBox(QStringLiteral("一行目もデーター"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));

    RadioGroup1 = new TRadioGroup({QStringLiteral("入れ替え"), QStringLiteral("追加登録")}, this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setItemIndex(1);

    BitBtn1 =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("取　込"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);

    Label1 =
        new QLabel(QStringLiteral("仕入先CDの列を設定しないときは、一行ごとに次の仕入先CDで登録します。\n"
                                  "Deleteキー設定解除、ダブルクリックで対応CDを設定します。↓"),
                   this);
    Label1->setObjectName(QStringLiteral("Label1"));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->hide();

    L_MOJI = new QLabel(this);
    L_MOJI->setObjectName(QStringLiteral("L_MOJI"));
    QFont measuring(QStringLiteral("ＭＳ 明朝"));
    measuring.setPixelSize(19);
    L_MOJI->setFont(measuring);
    L_MOJI->hide();

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_columns.setObjectName(QStringLiteral("DataSource2"));
    pickers::SetUpGrid(DBGrid1, m_columns,
                       {
                           {QStringLiteral("CD"), {}, 40, Qt::AlignRight | Qt::AlignVCenter, {}},
                           {QStringLiteral("NAME01"), QStringLiteral("摘　要"), 365, {}, {}},
                           {QStringLiteral("CD2"),
                            {},
                            41,
                            Qt::AlignRight | Qt::AlignVCenter,
                            [](const db::Query& q, int row) -> QVariant {
                                // Typed over as text: blank when unmapped.
                                const int code = number(q, row, "CD2");
                                return code == 0 ? QString() : QString::number(code);
                            }},
                           {QStringLiteral("RETU_NAME2"),
                            QStringLiteral("対応列名"),
                            182,
                            {},
                            [this](const db::Query& q, int row) -> QVariant {
                                return mappedLabel(q, row);
                            }},
                       });
    // Only the mapped code is typed into; a double-click maps through the picker.
    DBGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    QPalette yellow = DBGrid1->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 225));
    DBGrid1->setPalette(yellow);
    // A typed code rewrites the row and reopens the grid, which must wait
    // until the grid has let go of its editor: the delegate's closeEditor
    // reaches the grid first, then this form.
    m_columns.typed = [this](int row, const QString& typedText) {
        m_typed = {row, typedText};
    };
    connect(DBGrid1->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (m_typed.first < 0)
            return;
        const auto [row, typedText] = std::exchange(m_typed, {-1, QString()});
        if (!CD2Typed(row, typedText))
            QApplication::beep();
    });

    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DataSource1.setObjectName(QStringLiteral("DataSource1"));
    pickers::SetUpGrid(DBGrid2, DataSource1,
                       {
                           {QStringLiteral("CD"), {}, 40, Qt::AlignRight | Qt::AlignVCenter, {}},
                           {QStringLiteral("NAME01"), QStringLiteral("列名"), 143, {}, {}},
                           {QStringLiteral("TYPE"), QStringLiteral("タイプ"), 73, {}, {}},
                       });
    DBGrid2->setFixedWidth(40 + 143 + 73 + 40);

    auto* options = new QHBoxLayout;
    options->addWidget(CheckBox1);
    options->addWidget(RadioGroup1);
    options->addStretch(1);
    options->addWidget(BitBtn1);
    auto* grids = new QHBoxLayout;
    grids->addWidget(DBGrid1, 1);
    grids->addWidget(DBGrid2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addLayout(options);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(grids, 1);
    // A size of its own, not the layout's: what the layout wants changes
    // as the grid and the progress bar take turns.
    setMinimumSize(800, 480);
    resize(1000, 640);

    DBGrid1->installEventFilter(this);
    DBGrid1->viewport()->installEventFilter(this);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm_Txt_Con::BitBtn1Click);
}

TForm_Txt_Con::~TForm_Txt_Con()
{
    if (Form_Txt_Con == this)
        Form_Txt_Con = nullptr;
}

void TForm_Txt_Con::setWidthReferences(QWidget* nameBox, QWidget* mailBox, QWidget* mobileBox)
{
    m_nameBox = nameBox;
    m_mailBox = mailBox;
    m_mobileBox = mobileBox;
}

void TForm_Txt_Con::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TForm_Txt_Con::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DBGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (const QModelIndex at = DBGrid1->indexAt(mouse->position().toPoint()); at.isValid())
            DBGrid1->setCurrentIndex(at);
        DBGrid1DblClick();
        return true;
    }
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (DBGrid1KeyDown(key->key()))
            return true;
        // Whichever cell of the row is current, what is typed is its code.
        const QModelIndex current = DBGrid1->currentIndex();
        if (current.isValid() && current.column() != TMappingModel::CodeColumn && !key->text().isEmpty() &&
            key->text().at(0).isPrint())
            DBGrid1->setCurrentIndex(m_columns.index(current.row(), TMappingModel::CodeColumn));
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_Txt_Con::FormShow()
{
    ProgressBar1->hide();
    DBGrid1->show();
    DBGrid2->show();
    FDQuery1.close();
    FDQuery1.setSql(kFieldsSql);
    FDQuery2.close();
    FDQuery2.setSql(kColumnsSql);
    try {
        showMapping();
    } catch (const std::exception&) {
        FDQuery1.close();
        FDQuery2.close();
        ShowError(std::current_exception());
    }
}

void TForm_Txt_Con::showMapping()
{
    const QString varchar = QStringLiteral("VARCHAR(100)");
    const QString smallint = QStringLiteral("SMALLINT");
    createWorkTable(QStringLiteral("SIIRE_CON1"), {{QStringLiteral("CD"), smallint},
                                                   {QStringLiteral("TYPE"), varchar},
                                                   {QStringLiteral("NAME01"), varchar},
                                                   {QStringLiteral("NAME02"), varchar}});
    createWorkTable(QStringLiteral("SIIRE_CON2"), {{QStringLiteral("CD"), smallint},
                                                   {QStringLiteral("NAME01"), varchar},
                                                   {QStringLiteral("RETU_NAME"), varchar},
                                                   {QStringLiteral("RETU_NAME2"), varchar},
                                                   {QStringLiteral("TYPE"), varchar},
                                                   {QStringLiteral("CD2"), smallint}});
    for (const Field& f : textimport::Fields())
        executeLocal({QStringLiteral("Insert into SIIRE_CON1"), QStringLiteral("(CD,TYPE,NAME01,NAME02)"),
                      QStringLiteral("values"), QStringLiteral("(:CD,:TYPE,:NAME01,:NAME02)")},
                     {{QStringLiteral("CD"), f.code},
                      {QStringLiteral("TYPE"), f.kind},
                      {QStringLiteral("NAME01"), f.label},
                      {QStringLiteral("NAME02"), f.column}});

    const QStringList lines = textimport::ReadLines(Edit1->text());
    if (lines.isEmpty())
        throw textimport::ImportError(QStringLiteral("ファイル %1 は空です。").arg(Edit1->text()));
    const QStringList headings = textimport::SplitHeadings(lines.first());
    for (int i = 0; i < headings.size(); ++i)
        executeLocal({QStringLiteral("Insert into SIIRE_CON2"), QStringLiteral("(CD,NAME01)"),
                      QStringLiteral("values"), QStringLiteral("(:CD,:NAME01)")},
                     {{QStringLiteral("CD"), i + 1}, {QStringLiteral("NAME01"), headings[i]}});

    // Every file column whose heading is a field's label goes to that field.
    FDQuery1.open();
    for (; !FDQuery1.eof(); FDQuery1.next()) {
        const int row = FDQuery1.recNo() - 1;
        const Field field{number(FDQuery1, row, "CD"), text(FDQuery1, row, "TYPE"),
                          text(FDQuery1, row, "NAME01"), text(FDQuery1, row, "NAME02")};
        QVariantMap params{{QStringLiteral("LABEL"), field.label}};
        executeLocal(mappingStatement(field, QStringLiteral("where NAME01 = :LABEL"), params), params);
    }
    FDQuery1.first();
    openColumns(0);
}

void TForm_Txt_Con::createWorkTable(const QString& table, const QList<QPair<QString, QString>>& columns)
{
    // There from an earlier showing: emptied instead.
    if (db::HasTable(m_data.FDConnection_L, table)) {
        executeLocal({QStringLiteral("delete from ") + table});
        return;
    }
    QStringList lines{QStringLiteral("Create Table ") + table};
    for (int i = 0; i < columns.size(); ++i)
        lines << (i == 0 ? QStringLiteral("(") : QString()) + columns[i].first + u'\t' + columns[i].second +
                     (i + 1 < columns.size() ? QStringLiteral(",") : QStringLiteral(")"));
    executeLocal(lines);
}

void TForm_Txt_Con::executeLocal(const QStringList& lines, const QVariantMap& params)
{
    db::Query& q = m_data.FDQ_UP2;
    q.close();
    q.clearSql();
    for (const QString& line : lines)
        q.addSql(line);
    q.setParams(params);
    q.execute();
    q.close();
}

void TForm_Txt_Con::openColumns(int row, int column)
{
    FDQuery2.close();
    FDQuery2.setSql(kColumnsSql);
    FDQuery2.open();
    if (row < 0 || FDQuery2.isEmpty())
        return;
    row = std::min(row, FDQuery2.recordCount() - 1);
    FDQuery2.moveTo(row);
    DBGrid1->setCurrentIndex(m_columns.index(row, column));
}

QString TForm_Txt_Con::mappedLabel(const db::Query& columns, int row) const
{
    const int code = number(columns, row, "CD2");
    if (code <= 0)
        return {};
    // The label of the field list's row with that code.
    if (FDQuery1.isOpen()) {
        for (int r = 0; r < FDQuery1.fetchedCount(); ++r)
            if (number(FDQuery1, r, "CD") == code)
                return text(FDQuery1, r, "NAME01");
        return {};
    }
    const Field* field = textimport::FieldByCode(code);
    return field ? field->label : QString();
}

void TForm_Txt_Con::setRowMapping(int row, const Field* field)
{
    if (!FDQuery2.isOpen() || row < 0 || row >= FDQuery2.recordCount())
        return;
    const int column = std::max(0, DBGrid1->currentIndex().column());
    QVariantMap params{{QStringLiteral("CD"), number(FDQuery2, row, "CD")}};
    FDQuery2.close();
    if (field)
        executeLocal(mappingStatement(*field, QStringLiteral("where CD=:CD"), params), params);
    else
        executeLocal({QStringLiteral("UPDATE SIIRE_CON2 set CD2=0"), QStringLiteral(",RETU_NAME2=null"),
                      QStringLiteral(",RETU_NAME=null"), QStringLiteral(",TYPE=null"),
                      QStringLiteral("where CD=:CD")},
                     params);
    openColumns(row, column);
}

void TForm_Txt_Con::DBGrid1DblClick()
{
    const int row = pickers::CurrentRow(DBGrid1);
    if (!FDQuery2.isOpen() || row < 0)
        return;
    if (!Form6)
        Form6 = new TForm6(this);
    Form6->setSource(&FDQuery1);
    if (modal::exec(*Form6) != TPicker::ResultOk || !FDQuery1.isOpen() || FDQuery1.recNo() < 1)
        return;
    const int picked = FDQuery1.recNo() - 1;
    const Field field{number(FDQuery1, picked, "CD"), text(FDQuery1, picked, "TYPE"),
                      text(FDQuery1, picked, "NAME01"), text(FDQuery1, picked, "NAME02")};
    setRowMapping(row, &field);
}

bool TForm_Txt_Con::DBGrid1KeyDown(int key)
{
    if (key != Qt::Key_Delete)
        return false;
    setRowMapping(pickers::CurrentRow(DBGrid1), nullptr);
    return true;
}

bool TForm_Txt_Con::CD2Typed(int row, const QString& typedText)
{
    const QString typed = typedText.trimmed();
    const int code = typed.isEmpty() ? 0 : toIntDef(typed, -1);
    const Field* field = code > 0 ? textimport::FieldByCode(code) : nullptr;
    if (code < 0 || (code > 0 && !field))
        return false;
    setRowMapping(row, field);
    return true;
}

QList<textimport::Mapping> TForm_Txt_Con::Mapping()
{
    FDQuery1.close();
    FDQuery1.setSql(kFieldsSql);
    FDQuery1.open();
    FDQuery2.close();
    FDQuery2.setSql(kMappedSql);
    FDQuery2.open();
    QList<textimport::Mapping> mapping;
    for (int row = 0; row < FDQuery2.recordCount(); ++row)
        mapping << textimport::Mapping{number(FDQuery2, row, "CD"), text(FDQuery2, row, "RETU_NAME"),
                                       text(FDQuery2, row, "TYPE")};
    return mapping;
}

textimport::Fitting TForm_Txt_Con::Fitting() const
{
    const QFontMetrics metrics(L_MOJI->font());
    return {[metrics](const QString& s) { return metrics.horizontalAdvance(s); },
            [name = m_nameBox, mail = m_mailBox, mobile = m_mobileBox](textimport::WidthBox box) {
                const QPointer<QWidget>& w = box == textimport::WidthBox::Name   ? name
                                             : box == textimport::WidthBox::Mail ? mail
                                                                                 : mobile;
                return w ? w->width() : -1;
            }};
}

void TForm_Txt_Con::BitBtn1Click()
{
    const int row = std::max(0, pickers::CurrentRow(DBGrid1));
    textimport::RunOptions options;
    try {
        options.mapping = Mapping();
    } catch (const std::exception&) {
        ShowError(std::current_exception());
        return;
    }
    // Nothing is touched before the mapping is known to be good.
    if (const QString problem = textimport::CheckMapping(options.mapping); !problem.isEmpty()) {
        try {
            openColumns(row);
        } catch (const std::exception&) {
            // The grid stays closed; the notice below is what the clerk needs.
        }
        ShowMessageDialog(MessageNotice, problem, this);
        return;
    }
    DBGrid1->hide();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    options.path = Edit1->text();
    options.firstLineIsData = CheckBox1->isChecked();
    options.mode = RadioGroup1->itemIndex() == 0 ? textimport::Mode::Replace : textimport::Mode::Append;
    options.fitting = Fitting();
    options.progress = [this](int done, int total) {
        ProgressBar1->setMaximum(std::max(1, total));
        ProgressBar1->setValue(done);
        // Painted as it goes; the user's keys and clicks wait for the end.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    options.report = [](int, const QString& line, const QString&) {
        ShowPlainMessage(line);
    };
    m_running = true;
    try {
        textimport::Run(m_data.FDQ_VORNALIX, options);
    } catch (const std::exception&) {
        ShowError(std::current_exception());
    }
    m_running = false;
    done(1);
}

void TForm_Txt_Con::reject()
{
    // Painting goes on during a run, and with it the close box; the run ends the form itself.
    if (!m_running)
        QDialog::reject();
}
