#include "search/Unit8.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

#include "db/Error.h"
#include "db/Query.h"
#include "dialogs/DropDownBox.h"
#include "dialogs/Forms.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "search/CsvExport.h"
#include "suite/Unit2.h"
#include "util/Cp932.h"
#include "util/Numbers.h"

TForm8* Form8 = nullptr;

namespace suppliertable {
namespace {

// column LIKE the bound pattern :param. The cast keeps a pattern longer than
// the column from failing with "string right truncation": it finds nothing.
QString like(const QString& column, const QString& param)
{
    return column + QStringLiteral(" like CAST(:") + param + QStringLiteral(" AS VARCHAR(8191))");
}

QString anywhere(const QString& text)
{
    return QLatin1Char('%') + text + QLatin1Char('%');
}

} // namespace

suppliersearch::Statement ListStatement(const QString& name, const QString& address, int tradeType,
                                        const QString& sortField, bool descending)
{
    suppliersearch::Statement s;
    s.sql << QStringLiteral("select * from MAS_SIIRE where E_DATE04 is null and T_CD>0");
    if (!name.isEmpty()) {
        s.sql << QStringLiteral("and (") + like(QStringLiteral("T_NAME01"), QStringLiteral("NAME")) +
                     QStringLiteral(" or ") + like(QStringLiteral("T_NAME03"), QStringLiteral("NAME")) +
                     QStringLiteral(")");
        s.params.insert(QStringLiteral("NAME"), anywhere(name));
    }
    if (!address.isEmpty()) {
        s.sql << QStringLiteral("and (") + like(QStringLiteral("T_ADD_1"), QStringLiteral("ADDRESS")) +
                     QStringLiteral(" or ") + like(QStringLiteral("T_ADD_2"), QStringLiteral("ADDRESS")) +
                     QStringLiteral(")");
        s.params.insert(QStringLiteral("ADDRESS"), anywhere(address));
    }
    if (tradeType > 0) {
        // Cast: a code past the small column's range finds nothing instead of failing.
        s.sql << QStringLiteral("and KU_KOUSYU=CAST(:KOUSYU AS INTEGER)");
        s.params.insert(QStringLiteral("KOUSYU"), tradeType);
    }
    s.sql << QStringLiteral("order by ") + sortField + (descending ? QStringLiteral(" desc") : QString());
    return s;
}

QList<db::QueryModel::Column> Columns()
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    struct Design
    {
        const char* field;
        const char* title;
        int width;
        bool number;
    };
    // The e-mail column has no title of its own: it shows the field's name.
    static const Design design[] = {
        {"T_CD", "仕入先CD", 100, true},
        {"T_KEY", "ﾌﾘｶﾞﾅ", 92, false},
        {"T_NAME01", "仕入先名１", 300, false},
        {"T_NAME02", "仕入先名２", 300, false},
        {"T_ZIP_CD", "〒", 90, false},
        {"T_ADD_1", "住所１", 367, false},
        {"T_ADD_2", "住所２", 302, false},
        {"T_DAIHYOU", "代表者名", 136, false},
        {"T_BUSYO", "部署", 130, false},
        {"T_TANTOU", "担当者名", 139, false},
        {"T_TEL", "TEL", 149, false},
        {"T_FAX", "FAX", 161, false},
        {"GINKOU_KOUZA_CD", "口座種別", 79, true},
        {"GINKOU_CD", "銀行CD", 59, false},
        {"GINKOU_NAME", "銀行名", 148, false},
        {"GINKOU_S_CD", "支店CD", 101, false},
        {"GINKOU_S_NAME", "支店名", 137, false},
        {"GINKOU_KOUZA_KANA", "口座名義", 170, false},
        {"GINKOU_KOUZA_BANGOU", "口座番号", 115, false},
        {"KU_KAISYU", "支払区分", 86, true},
        {"KU_KOUSYU", "工種", 60, true},
        {"KU_KAMOKU", "科目", 42, true},
        {"INBOICE", "インボイス番号", 219, false},
        {"IB_KBN", "免税区分", 90, true},
        {"KU_SIME", "締日", 60, true},
        {"KU_HARAI", "支払日", 60, true},
        {"KIN_02", "手形率", 72, true},
        {"KIN_01", "協力費率", 88, true},
        {"E_MAILE", "", 250, false},
        {"BIKOU_01", "携帯電話", 186, false},
        {"BIKOU_02", "備考", 278, false},
    };
    QList<db::QueryModel::Column> columns;
    for (const Design& d : design)
        columns << db::QueryModel::Column{
            QLatin1String(d.field), QString::fromUtf8(d.title), d.width, d.number ? right : left, {}};
    return columns;
}

bool ShowsDiscount(const QString& companyName)
{
    return companyName.contains(QStringLiteral("ネリダス"));
}

QList<db::QueryModel::Column> WithDiscountColumn(QList<db::QueryModel::Column> columns, int mailWidth)
{
    const auto fieldAt = [&columns](const char* field) {
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].field == QLatin1String(field))
                return i;
        return -1;
    };
    const int fee = fieldAt("KIN_01");
    if (fee < 0 || fieldAt("KIN_03") >= 0)
        return columns;
    columns.insert(
        fee + 1, {QStringLiteral("KIN_03"), QStringLiteral("歩引"), columns[fee].width, Qt::AlignCenter, {}});
    if (fee + 2 < columns.size()) {
        db::QueryModel::Column& mail = columns[fee + 2];
        mail.width = mailWidth;
        mail.alignment = Qt::AlignLeft | Qt::AlignVCenter;
        mail.title = QStringLiteral("E_MAILE");
    }
    return columns;
}

csvexport::Writer ExportRows(db::Query& suppliers, const QList<db::QueryModel::Column>& columns,
                             const std::function<void(int done, int total)>& progress)
{
    QStringList titles;
    QList<int> fields;
    QList<bool> fixedLength;
    for (const db::QueryModel::Column& column : columns) {
        titles << (column.title.isEmpty() ? column.field : column.title);
        const int field = suppliers.fieldIndex(column.field);
        fields << field;
        // A CHAR column comes padded with blanks; the grid's cell hides them.
        fixedLength << (field >= 0 && suppliers.fieldDeclaration(field).startsWith(QLatin1String("CHAR")));
    }

    csvexport::Writer writer(titles);
    const int rows = suppliers.recordCount();
    if (progress)
        progress(0, rows);
    QStringList values;
    for (int row = 0; row < rows; ++row) {
        values.clear();
        for (int c = 0; c < fields.size(); ++c) {
            if (fields[c] < 0) {
                values << QString();
                continue;
            }
            QString text = suppliers.displayTextAt(row, fields[c]);
            if (fixedLength[c]) {
                qsizetype n = text.size();
                while (n > 0 && text[n - 1] == u' ')
                    --n;
                text.truncate(n);
            }
            values << text;
        }
        writer.addRow(values);
        if (progress)
            progress(row + 1, rows);
    }
    return writer;
}

int ZoomedSize(int size, int delta)
{
    if (delta < 1)
        return size >= 13 ? size - 1 : size;
    return size + 1;
}

QString SampleText(const QString& field)
{
    // Some names never match a field of this grid (ZIP, TEL, DAIHY …): those
    // columns keep the width of their titles.
    struct Sample
    {
        const char* fields[5];
        const char* text;
    };
    static const Sample samples[] = {
        {{"T_KEY"}, "あいうえおあ"},
        {{"T_CD"}, "得意先CD "},
        {{"ZIP"}, "999-99999"},
        {{"TEL", "FAX", "BIKOU_01"}, "999-5624-223589"},
        {{"T_NAME01", "T_NAME02", "DAIHY", "BUSYO", "TANTO"}, "あいうえおあいうえ  "},
        {{"T_ADD_1", "T_ADD_2", "BIKOU_02", "KANA", "NAME"}, "あいうえおあいうえあいうえお"},
    };
    for (const Sample& s : samples)
        for (const char* f : s.fields)
            if (f && field == QLatin1String(f))
                return QString::fromUtf8(s.text);
    return {};
}

} // namespace suppliertable

namespace {

const QColor kHighlight(255, 210, 233);
const QString kTradeTypes =
    QStringLiteral("SELECT BL_KUBUN*100+BM_KUBUN as CD,NAME01 as NAME from MAS_KOUSYU_02");
const QString kTradeTypeOrder = QStringLiteral("order by BL_KUBUN,BM_KUBUN");
constexpr int kGridFontSize = 12;
constexpr int kDropDownRows = 30;

QFont mincho(int pixels)
{
    QFont f(QStringLiteral("ＭＳ 明朝"));
    f.setPixelSize(pixels);
    return f;
}

void setBaseColour(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

} // namespace

TForm8::TForm8(TDM2& data, QWidget* parent)
    : TPicker(parent), FDQ_1(data.FDQ_1), DataSource1(data.DataSource1)
{
    Form8 = this;
    forgetOnDestruction(Form8);
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("仕入先一覧表"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setFont(mincho(16));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFixedHeight(72);

    auto* nameLabel = new QLabel(QStringLiteral("仕入先名"), Panel1);
    E_NAME = new QLineEdit(Panel1);
    E_NAME->setObjectName(QStringLiteral("E_NAME"));
    auto* addressLabel = new QLabel(QStringLiteral("住所"), Panel1);
    E_ADD = new QLineEdit(Panel1);
    E_ADD->setObjectName(QStringLiteral("E_ADD"));
    for (QLineEdit* box : {E_NAME, E_ADD}) {
        box->setFixedWidth(200);
        box->setAttribute(Qt::WA_InputMethodEnabled, true);
        box->setProperty("imeMode", QStringLiteral("hira"));
    }
    auto* tradeLabel = new QLabel(QStringLiteral("工種"), Panel1);
    BAN_13 = new QLineEdit(Panel1);
    BAN_13->setObjectName(QStringLiteral("BAN_13"));
    BAN_13->setFixedWidth(60);
    BAN_13->setAttribute(Qt::WA_InputMethodEnabled, false);
    BAN_13->setProperty("imeMode", QStringLiteral("off"));
    auto* names = new DropDownBox(Panel1);
    names->onDropDown = [this] {
        reporting([this] { C_BOX_13DropDown(); });
    };
    C_BOX_13 = names;
    C_BOX_13->setObjectName(QStringLiteral("C_BOX_13"));
    C_BOX_13->setEditable(true);
    C_BOX_13->setInsertPolicy(QComboBox::NoInsert);
    C_BOX_13->setFixedWidth(180);
    Label1 = new QLabel(QStringLiteral("←名前・住所・工種で絞込み表示できます。"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("↓一覧表のタイトルをクリックするとソート出来ます。"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel* help : {Label1, Label2}) {
        QPalette p = help->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        help->setPalette(p);
    }

    Button1 = pickers::Button(Panel1, "Button1", QStringLiteral("Button1"));
    Button1->hide();
    // The two buttons are placed by FormResize, right-aligned.
    BitBtn2 = pickers::Button(Panel1, "BitBtn2", QStringLiteral("ファイル出力"), QStyle::SP_DialogSaveButton);
    BitBtn2->resize(150, 40);
    BitBtn1 = pickers::Button(Panel1, "BitBtn1", QStringLiteral("閉じる"), QStyle::SP_DialogCloseButton);
    BitBtn1->resize(110, 40);
    L_MOJI = new QLabel(Panel1);
    L_MOJI->setObjectName(QStringLiteral("L_MOJI"));
    L_MOJI->hide();

    auto* filters = new QHBoxLayout;
    filters->addWidget(nameLabel);
    filters->addWidget(E_NAME);
    filters->addSpacing(12);
    filters->addWidget(addressLabel);
    filters->addWidget(E_ADD);
    filters->addSpacing(12);
    filters->addWidget(tradeLabel);
    filters->addWidget(BAN_13);
    filters->addWidget(C_BOX_13);
    filters->addSpacing(8);
    filters->addWidget(Label1);
    filters->addStretch(1);
    auto* top = new QVBoxLayout(Panel1);
    top->setContentsMargins(8, 6, 8, 4);
    top->setSpacing(4);
    top->addLayout(filters);
    top->addWidget(Label2);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    QFont gridFont(QStringLiteral("ＭＳ 明朝"));
    gridFont.setPointSize(kGridFontSize);
    DBGrid1->setFont(gridFont);
    DataSource1.setColumns(suppliertable::Columns());
    DBGrid1->setModel(&DataSource1);
    setList(DBGrid1, nullptr, false); // Enter in the list is the form's own key
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setTabKeyNavigation(false);
    DBGrid1->setWordWrap(false);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 6);
    QHeaderView* titles = DBGrid1->horizontalHeader();
    titles->setStretchLastSection(false);
    titles->setSectionsClickable(true);
    titles->setHighlightSections(false);
    setColumnWidths();

    // The grid's current row and the query's follow each other, as a data
    // grid and its dataset do; while the grid is hidden (the export, the
    // print walking the query) it is not moved row by row.
    connect(&FDQ_1, &db::Query::currentChanged, DBGrid1, [this](int row) {
        if (!DBGrid1->isVisible() || row < 0 || row >= DataSource1.rowCount() ||
            DBGrid1->currentIndex().row() == row)
            return;
        DBGrid1->setCurrentIndex(DataSource1.index(row, std::max(0, DBGrid1->currentIndex().column())));
    });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, DBGrid1,
            [this](const QModelIndex& current) {
                if (current.isValid() && FDQ_1.isOpen() && FDQ_1.recNo() - 1 != current.row())
                    FDQ_1.moveTo(current.row());
            });

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog, so that it is shown through the modal seam; a file
    // chosen is overwritten without a question, as the list always did.
    SaveDialog1->setOption(QFileDialog::DontUseNativeDialog);
    SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    resize(1200, 700);

    m_tabOrder = {E_NAME, E_ADD, BAN_13, C_BOX_13, DBGrid1, BitBtn2, BitBtn1};
    for (int i = 1; i < m_tabOrder.size(); ++i)
        setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);

    connect(Button1, &QPushButton::clicked, this, [this] { reporting([this] { Button1Click(); }); });
    for (QLineEdit* box : {E_NAME, E_ADD})
        connect(box, &QLineEdit::textChanged, this, &TForm8::E_NAMEChange);
    connect(BAN_13, &QLineEdit::textChanged, this, [this] { reporting([this] { BAN_13Change(); }); });
    connect(C_BOX_13, &QComboBox::activated, this, [this] { reporting([this] { C_BOX_13Click(); }); });
    connect(titles, &QHeaderView::sectionClicked, this,
            [this](int column) { reporting([this, column] { DBGrid1TitleClick(column); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &TForm8::BitBtn2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm8::reject);
}

TForm8::~TForm8() = default;

void TForm8::setColumnWidths()
{
    const QList<db::QueryModel::Column> columns = DataSource1.columns();
    for (int i = 0; i < columns.size(); ++i)
        DBGrid1->setColumnWidth(i, columns[i].width);
}

void TForm8::AddDiscountColumn(int mailWidth)
{
    QList<db::QueryModel::Column> columns = DataSource1.columns();
    // The columns keep the widths they have now (a zoom may have changed them).
    for (int i = 0; i < columns.size(); ++i)
        columns[i].width = DBGrid1->columnWidth(i);
    const QList<db::QueryModel::Column> added = suppliertable::WithDiscountColumn(columns, mailWidth);
    if (added.size() == columns.size())
        return;
    DataSource1.setColumns(added);
    setColumnWidths();
}

void TForm8::FormShow()
{
    // While the grid shows the list, the rows it may still scroll to are read
    // before the connection is switched off.
    FDQ_1.setKeepRowsOnDisconnect(true);
    setWindowState(windowState() | Qt::WindowMaximized);
    connect(qApp, &QApplication::focusChanged, this, &TForm8::focus_move, Qt::UniqueConnection);
    LastFocused = E_ADD;
    // Leaving the address box sets the navigation flags again.
    E_ADD->setFocus();
    focus_move();
    E_NAME->setFocus();
    focus_move();
    Button1->click();
}

void TForm8::done(int result)
{
    disconnect(qApp, &QApplication::focusChanged, this, &TForm8::focus_move);
    // Closed, nobody scrolls the list: switching off reads none of its unread
    // rows. The printed list opens the same search again when it needs it.
    FDQ_1.setKeepRowsOnDisconnect(false);
    TPicker::done(result);
}

void TForm8::resizeEvent(QResizeEvent* event)
{
    TPicker::resizeEvent(event);
    FormResize();
}

void TForm8::FormResize()
{
    const int w = width();
    const int top = (Panel1->height() - BitBtn1->height()) / 2;
    BitBtn1->move(int(double(w - BitBtn1->width()) - 1.5 * BitBtn1->height()), top);
    BitBtn2->move(int(double(BitBtn1->x() - BitBtn2->width()) - 0.5 * BitBtn1->height()), top);
}

void TForm8::Button1Click()
{
    const QString name = E_NAME->text();
    const QString address = E_ADD->text();
    // A text the server cannot be sent fails here, before the list is touched.
    for (const QString& text : {name, address})
        if (QString bad; !cp932::canEncode(text, &bad))
            throw db::Error(cp932::EncodeError(bad, 0).message());
    const suppliersearch::Statement s =
        suppliertable::ListStatement(name, address, toIntDef(BAN_13->text()), SortField, SortDescending == 1);
    pickers::Reopen(FDQ_1, s.sql, s.params);
}

void TForm8::E_NAMEChange()
{
    Button1->click();
}

void TForm8::DBGrid1TitleClick(int column)
{
    const QList<db::QueryModel::Column> columns = DataSource1.columns();
    if (!FDQ_1.isOpen() || column < 0 || column >= columns.size())
        return;
    SortField = columns[column].field;
    Button1->click();
    SortDescending = SortDescending == 1 ? 0 : 1;
}

void TForm8::BAN_13Change()
{
    if (BAN_13->text().isEmpty()) {
        C_BOX_13->setEditText(QString());
    } else if (Form_kouzou_sel) {
        db::Query& q = Form_kouzou_sel->FDQ_1;
        pickers::Reopen(q, {kTradeTypes, QStringLiteral("where BL_KUBUN*100+BM_KUBUN=:CD")},
                        {{QStringLiteral("CD"), toIntDef(BAN_13->text())}});
        C_BOX_13->setEditText(q.isEmpty() ? QString() : q.field(QStringLiteral("NAME")).asString());
        q.close();
    }
    Button1->click();
}

void TForm8::C_BOX_13DropDown()
{
    if (!Form_kouzou_sel)
        return;
    const QString current = C_BOX_13->currentText();
    C_BOX_13->clear();
    db::Query& q = Form_kouzou_sel->FDQ_1;
    pickers::Reopen(q, {kTradeTypes, kTradeTypeOrder});
    QStringList items;
    for (; !q.eof(); q.next())
        items << q.field(QStringLiteral("NAME")).asString();
    q.close();
    C_BOX_13->addItems(items);
    C_BOX_13->setEditText(current);
    const int n = int(items.size());
    C_BOX_13->setMaxVisibleItems(n <= kDropDownRows + 1 ? std::max(1, n) : kDropDownRows);
}

void TForm8::C_BOX_13Click()
{
    const QString name = C_BOX_13->currentText();
    if (!name.isEmpty() && Form_kouzou_sel) {
        db::Query& q = Form_kouzou_sel->FDQ_1;
        pickers::Reopen(
            q, {kTradeTypes, QStringLiteral("where NAME01=CAST(:NAME AS VARCHAR(8191))"), kTradeTypeOrder},
            {{QStringLiteral("NAME"), name}});
        const QString code = q.isEmpty() ? QString() : q.field(QStringLiteral("CD")).asString();
        q.close();
        BAN_13->setText(code); // looks the name up again and narrows the list
    }
    BAN_13->setFocus();
    focus_move();
}

void TForm8::BAN_13DblClick()
{
    if (!Form_kouzou_sel)
        return;
    TForm_kouzou_sel& picker = *Form_kouzou_sel;
    // Left of the code box, level with it, as wide as the name box.
    const QWidget* main = parentWidget() ? parentWidget()->window() : this;
    picker.move(main->x() + BAN_13->x() - picker.width(), main->y() + BAN_13->y());
    picker.resize(C_BOX_13->width(), picker.height());
    bool listed = false;
    reporting([&] {
        pickers::Reopen(picker.FDQ_1, {kTradeTypes, kTradeTypeOrder});
        listed = true;
    });
    if (listed && modal::exec(picker) == TPicker::ResultOk) {
        BAN_13->setText(QString::number(SelCode));
        C_BOX_13->setEditText(SelName);
    }
    connect(qApp, &QApplication::focusChanged, this, &TForm8::focus_move, Qt::UniqueConnection);
    LastFocused = E_ADD;
    E_ADD->setFocus();
    focus_move();
}

bool TForm8::DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta)
{
    if (!(modifiers & Qt::ControlModifier))
        return false;
    QFont font = DBGrid1->font();
    font.setPointSize(suppliertable::ZoomedSize(font.pointSize(), delta));
    DBGrid1->setFont(font);
    DBGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
    DBGrid1->horizontalHeader()->setFont(font);
    L_MOJI->setFont(font);

    // The standard grid's 31 columns; a customer column added after them
    // would keep its width.
    const QList<db::QueryModel::Column> columns = DataSource1.columns();
    for (int i = 0; i <= 30 && i < columns.size(); ++i) {
        const QString title = DataSource1.headerData(i, Qt::Horizontal).toString();
        DBGrid1->setColumnWidth(i, textWidth(title + QStringLiteral("  ")));
        const QString sample = suppliertable::SampleText(columns[i].field);
        if (!sample.isEmpty())
            DBGrid1->setColumnWidth(i, std::max(DBGrid1->columnWidth(i), textWidth(sample)));
    }
    return true;
}

int TForm8::textWidth(const QString& text) const
{
    L_MOJI->setText(text);
    return QFontMetrics(L_MOJI->font()).horizontalAdvance(text);
}

void TForm8::BitBtn2Click()
{
    SaveDialog1->setNameFilter(QStringLiteral("Text File (*.csv)"));
    SaveDialog1->setDefaultSuffix(QStringLiteral("csv"));
    SaveDialog1->selectFile(QStringLiteral("仕入先一覧表"));
    if (modal::exec(*SaveDialog1) != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return;
    const QString path = SaveDialog1->selectedFiles().constFirst();
    // Every relative path of the program depends on the working directory.
    if (m_programFolder && !m_programFolder->isEmpty())
        QDir::setCurrent(*m_programFolder);

    DBGrid1->hide();
    reporting([&] {
        ExportTo(path);
        if (FDQ_1.isOpen())
            FDQ_1.first();
    });
    DBGrid1->show();
    if (FDQ_1.isOpen() && !FDQ_1.isEmpty())
        DBGrid1->setCurrentIndex(DataSource1.index(0, std::max(0, DBGrid1->currentIndex().column())));
}

bool TForm8::ExportTo(const QString& path)
{
    if (!FDQ_1.isOpen() || FDQ_1.isEmpty())
        return false;
    // The visible columns, in grid order, straight from the query: a
    // hundred thousand rows are not walked cell by cell through the view.
    const QList<db::QueryModel::Column> columns = DataSource1.columns();
    QList<db::QueryModel::Column> visible;
    for (int i = 0; i < columns.size(); ++i)
        if (!DBGrid1->isColumnHidden(i))
            visible << columns[i];

    const csvexport::Writer writer = suppliertable::ExportRows(FDQ_1, visible);

    if (!writer.unwritable().isEmpty() &&
        ShowMessageDialog(MessageAskDefaultNo, csvexport::ReplaceQuestion(writer), this) != 1)
        return false;
    if (const QString reason = csvexport::WriteFile(path, writer.bytes()); !reason.isEmpty()) {
        ShowErrorBox(
            QStringLiteral("ファイルに出力できません。\n%1\n%2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    return true;
}

bool TForm8::FormKeyPress(int key)
{
    if (!pickers::IsEnter(key) || EnterNavigates != 1)
        return false;
    Find_jump(true);
    return true;
}

bool TForm8::FormKeyDown(int key)
{
    if (ArrowKeysNavigate != 1 || (key != Qt::Key_Up && key != Qt::Key_Down))
        return false;
    Find_jump(key == Qt::Key_Down);
    return true;
}

void TForm8::E_NAMEExit()
{
    ArrowKeysNavigate = 1;
    EnterNavigates = 1;
}

void TForm8::DBGrid1Enter()
{
    ArrowKeysNavigate = 0;
    EnterNavigates = 0;
}

void TForm8::BAN_13Enter()
{
    EnterNavigates = 0;
}

QWidget* TForm8::controlOf(QWidget* w) const
{
    return ControlOf(m_tabOrder, this, w);
}

void TForm8::Find_jump(bool forward)
{
    QWidget* next = NextInOrder(m_tabOrder, this, focusWidget(), forward, [](QWidget*) { return true; });
    if (!next)
        return;
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    focus_move();
}

void TForm8::focus_move()
{
    QWidget* active = controlOf(focusWidget());
    if (!active || active == LastFocused)
        return;
    QWidget* left = LastFocused;
    LastFocused = active;
    const auto isBox = [this](QWidget* w) {
        return w == E_NAME || w == E_ADD || w == BAN_13;
    };
    if (isBox(left))
        setBaseColour(left, QApplication::palette().color(QPalette::Base));
    if (isBox(active))
        setBaseColour(active, kHighlight);
    if (left == E_NAME || left == E_ADD)
        E_NAMEExit();
    if (active == DBGrid1)
        DBGrid1Enter();
    else if (active == BAN_13)
        BAN_13Enter();
}

void TForm8::reporting(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception&) {
        ShowError(std::current_exception());
    }
}

bool TForm8::previewKey(QWidget* target, int key)
{
    // A button with the focus answers Enter itself.
    if (pickers::IsEnter(key))
        return !qobject_cast<QPushButton*>(target) && FormKeyPress(key);
    return FormKeyDown(key);
}

bool TForm8::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (watched == BAN_13) {
            BAN_13DblClick();
            return true;
        }
        break;
    default:
        break;
    }
    return TPicker::eventFilter(watched, event);
}
