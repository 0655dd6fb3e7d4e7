#include "search/trad_sel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <utility>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Schema.h"
#include "dialogs/FORM_KOUSYU_MAS.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "suite/SchemaChecks.h"
#include "util/CharConv.h"
#include "util/Numbers.h"

QString SelectedSupplierCode = QStringLiteral("0");
QString SelectedSupplierName;
int SortDescending = 0;
Ttrad_sen2* trad_sen2 = nullptr;

namespace suppliersearch {
namespace {

const QString kSelectAll = QStringLiteral("select * from MAS_SIIRE");
const QString kLiveNotZero = QStringLiteral("where E_DATE04 is null and T_CD<>0");
const QString kLive = QStringLiteral("where E_DATE04 is null");

// column LIKE the bound pattern :param. The cast keeps a pattern longer than
// the column from failing with "string right truncation".
QString like(const QString& column, const QString& param)
{
    return column + QStringLiteral(" LIKE CAST(:") + param + QStringLiteral(" AS VARCHAR(8191))");
}

// A key with a hyphen that is longer than a short word is a telephone number.
bool isTelephone(const QString& key)
{
    return key.contains(u'-') && key.size() > 5;
}

QString orderBy(bool byKey, const QString& alias = {})
{
    return QStringLiteral("order by ") + alias + (byKey ? QStringLiteral("T_KEY") : QStringLiteral("T_CD"));
}

// The condition of a numeric key: the last four digits of a telephone
// number or that code, or only the code.
void codeCondition(Statement& s, const QString& key, int code)
{
    s.params.insert(QStringLiteral("CD"), code);
    if (key.size() == 4) {
        s.sql << QStringLiteral("and T_CD>0 and (") + like(QStringLiteral("T_TEL"), QStringLiteral("TEL")) +
                     QStringLiteral(" or T_CD=:CD)");
        s.params.insert(QStringLiteral("TEL"), QString(QLatin1Char('%') + key));
    } else {
        s.sql << QStringLiteral("and T_CD>0 and T_CD=:CD");
    }
}

// The columns of the trade-type sort; T_TEL twice, as the suite's other
// programs have it.
const QString kJoinColumns[] = {
    QStringLiteral("a.T_CD,a.T_NAME01,a.T_NAME02,a.T_NAME03,a.T_TEL,a.T_KEY,a.KU_TAX,a.T_TEL"),
    QStringLiteral(",a.T_FAX,a.T_TANTOU,a.T_ZIP_CD,a.T_ADD_1,a.T_ADD_2,a.KU_KOUSYU,a.KU_KAMOKU"),
    QStringLiteral(",a.KU_G_KETA,a.KU_KIN_K,a.KU_TAX_K,a.KIN_01,a.KIN_02,a.KIN_03,a.KU_HARAI,a.KU_SIME"),
};

} // namespace

QString ReadingForm(QStringView key)
{
    // Readings are stored in half-width katakana. The half-width mapping of
    // the desktop the program comes from also made hiragana half-width
    // katakana; ToHalfWidth keeps hiragana, so they become katakana first.
    QString s = ToHiragana(key);
    for (QChar& c : s) {
        const char16_t u = c.unicode();
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
            c = QChar(char16_t(u + 0x60));
    }
    return ToHalfWidth(s);
}

SearchBranch SearchBranchFor(const QString& key, const QString& tradeType)
{
    if (!key.isEmpty())
        return SearchBranch::Key;
    return tradeType.isEmpty() ? SearchBranch::All : SearchBranch::TradeType;
}

Statement KeySearch(const QString& key, bool prefix, bool byKey)
{
    Statement s{{kSelectAll, kLiveNotZero}, {}};
    if (const int code = toIntDef(key); code >= 1) {
        codeCondition(s, key, code);
    } else if (isTelephone(key)) {
        s.sql << QStringLiteral("and T_CD>0 and ") + like(QStringLiteral("T_TEL"), QStringLiteral("TEL"));
        s.params.insert(QStringLiteral("TEL"), QString(QLatin1Char('%') + key));
    } else if (prefix) {
        s.sql << QStringLiteral("and T_CD>0 and (") + like(QStringLiteral("T_KEY"), QStringLiteral("K2")) +
                     QStringLiteral(")");
        s.params.insert(QStringLiteral("K2"), QString(ReadingForm(key) + QLatin1Char('%')));
    } else {
        s.sql << QStringLiteral("and T_CD>0 and (") + like(QStringLiteral("T_KEY"), QStringLiteral("K2")) +
                     QStringLiteral(" or ") + like(QStringLiteral("T_KEY"), QStringLiteral("K1")) +
                     QStringLiteral(" or ") + like(QStringLiteral("T_NAME01"), QStringLiteral("K1")) +
                     QStringLiteral(")");
        s.params.insert(QStringLiteral("K2"),
                        QString(QLatin1Char('%') + ReadingForm(key) + QLatin1Char('%')));
        s.params.insert(QStringLiteral("K1"), QString(QLatin1Char('%') + key + QLatin1Char('%')));
    }
    s.sql << orderBy(byKey);
    return s;
}

Statement TradeTypeSearch(int tradeType, bool byKey)
{
    Statement s{{kSelectAll + QStringLiteral(" a "), kLiveNotZero}, {}};
    if (tradeType > 0) {
        // Cast: a code past the small column's range finds nothing instead of failing.
        s.sql << QStringLiteral("and a.KU_KOUSYU=CAST(:KOUSYU AS INTEGER)");
        s.params.insert(QStringLiteral("KOUSYU"), tradeType);
    }
    s.sql << orderBy(byKey, QStringLiteral("a."));
    return s;
}

Statement AllSuppliers(bool byKey)
{
    return {{kSelectAll, kLiveNotZero, orderBy(byKey)}, {}};
}

QString NextOrderLine(const QString& field)
{
    const bool descending = SortDescending == 1;
    SortDescending = descending ? 0 : 1;
    return QStringLiteral("order by ") + field + (descending ? QStringLiteral(" desc") : QString());
}

Statement KeySort(const QString& key, bool prefix, const QString& orderLine)
{
    Statement s{{kSelectAll, kLive}, {}};
    if (const int code = toIntDef(key); code >= 1) {
        codeCondition(s, key, code);
    } else if (isTelephone(key)) {
        s.sql << QStringLiteral("and T_CD>0 and ") + like(QStringLiteral("T_TEL"), QStringLiteral("TEL"));
        s.params.insert(QStringLiteral("TEL"), QString(QLatin1Char('%') + key));
    } else {
        const QString pattern = prefix ? key + QLatin1Char('%') : QLatin1Char('%') + key + QLatin1Char('%');
        s.sql << QStringLiteral("and (") + like(QStringLiteral("T_KEY"), QStringLiteral("K1")) +
                     QStringLiteral(" or ") + like(QStringLiteral("T_NAME01"), QStringLiteral("K1")) +
                     QStringLiteral(")");
        s.params.insert(QStringLiteral("K1"), pattern);
    }
    s.sql << orderLine;
    return s;
}

Statement TradeTypeSort(int tradeType, const QString& orderLine)
{
    Statement s;
    s.sql << QStringLiteral("select ") + kJoinColumns[0] << kJoinColumns[1]
          << kJoinColumns[2] + QStringLiteral(",count(b.KOUSYU)")
          << QStringLiteral(" from MAS_SIIRE a , DAT_JIKKOU b")
          << QStringLiteral("where a.E_DATE04 is null and a.T_CD=b.T_CD_2");
    if (tradeType % 100 < 1) {
        s.sql << QStringLiteral(
            "and ((b.KOUSYU>=CAST(:LOW AS INTEGER) and b.KOUSYU<=CAST(:HIGH AS INTEGER)) "
            "or (a.KU_KOUSYU>=CAST(:LOW AS INTEGER) and a.KU_KOUSYU<=CAST(:HIGH AS INTEGER)))");
        s.params.insert(QStringLiteral("LOW"), tradeType);
        s.params.insert(QStringLiteral("HIGH"), qint64(tradeType) + 99);
    } else {
        s.sql << QStringLiteral(
            "and (a.KU_KOUSYU=CAST(:KOUSYU AS INTEGER) or b.KOUSYU=CAST(:KOUSYU AS INTEGER))");
        s.params.insert(QStringLiteral("KOUSYU"), tradeType);
    }
    s.sql << QStringLiteral("group by ") + kJoinColumns[0] << kJoinColumns[1] << kJoinColumns[2] << orderLine;
    return s;
}

Statement AllSort(const QString& orderLine)
{
    return {{kSelectAll, kLive, orderLine}, {}};
}

void StoreShortName(db::Query& statements, int code, const QString& shortName)
{
    statements.close();
    statements.setSql(QStringLiteral("UPDATE MAS_SIIRE set T_NAME03=:T_NAME03 where T_CD=:T_CD"));
    statements.setParam(QStringLiteral("T_NAME03"), shortName);
    statements.setParam(QStringLiteral("T_CD"), code);
    statements.execute();
    statements.close();
}

void StoreTradeType(db::Query& statements, int code, int tradeType)
{
    statements.close();
    statements.setSql(QStringLiteral("UPDATE MAS_SIIRE set KU_KOUSYU=:KU_KOUSYU where T_CD=:T_CD"));
    statements.setParam(QStringLiteral("KU_KOUSYU"), tradeType);
    statements.setParam(QStringLiteral("T_CD"), code);
    statements.execute();
    statements.close();
}

QString ShortNameFrom(QStringView mainName)
{
    QString s = mainName.toString();
    s.replace(QStringLiteral("株式会社"), QStringLiteral("㈱"), Qt::CaseInsensitive);
    s.replace(QStringLiteral("有限会社"), QStringLiteral("㈲"), Qt::CaseInsensitive);
    s = ToHalfWidth(s);
    s.remove(u' ');
    s = ToHalfWidth(s);
    s.remove(QChar(0x3000));
    return ToHalfWidth(s);
}

QString FirstDisplayLine(const QString& text, const QFont& font, int lineWidth)
{
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    const QString line = text.left(end);
    const QFontMetricsF metrics(font);
    if (line.isEmpty() || metrics.horizontalAdvance(line) <= lineWidth)
        return line;

    // Whole characters only: a surrogate pair or a kana with its mark stays together.
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, line);
    const qsizetype first = characters.toNextBoundary();
    qsizetype fits = first;
    for (qsizetype at = characters.toNextBoundary(); at > 0; at = characters.toNextBoundary()) {
        if (metrics.horizontalAdvance(line.left(at)) > lineWidth)
            break;
        fits = at;
    }
    // A blank at the edge may hang past it; the line breaks after the last blank.
    for (qsizetype blank = std::min(fits, line.size() - 1); blank > 0; --blank) {
        if (line[blank].isSpace())
            return line.left(blank);
    }
    return line.left(fits);
}

int TextWidthOf(const QPlainTextEdit& box)
{
    return box.width() - 2 * box.frameWidth() - 2 * int(box.document()->documentMargin());
}

} // namespace suppliersearch

namespace {

using suppliersearch::Statement;

// The columns a title click sorts by, per grid column; the display name sorts by the main name.
const std::array<QString, 6> kSortFields = {
    QStringLiteral("T_CD"),  QStringLiteral("T_KEY"), QStringLiteral("T_NAME01"),
    QStringLiteral("T_TEL"), QStringLiteral("T_FAX"), QStringLiteral("KU_KOUSYU"),
};

QString textAt(const db::Query& query, int row, const QString& field)
{
    const int column = query.fieldIndex(field);
    return column >= 0 ? query.valueAt(row, column).toString() : QString();
}

} // namespace

Ttrad_sen2::Ttrad_sen2(db::Connection& suite, QWidget* parent)
    : TPicker(parent), FDQ_1(suite), DataSource1(FDQ_1), m_suite(suite), m_statement(suite)
{
    setObjectName(QStringLiteral("trad_sen2"));
    setWindowTitle(QStringLiteral("業者選択"));
    setFont(pickers::PickerFont());
    FDQ_1.setSql(QStringList{QStringLiteral("select * from MAS_SIIRE order by T_CD")});

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);

    auto* label2 = new QLabel(QStringLiteral("工種CD"), Panel1);
    Edit3 = new QLineEdit(Panel1);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setMaximumWidth(90);
    // Codes are typed without the input method.
    Edit3->setAttribute(Qt::WA_InputMethodEnabled, false);
    Edit3->setProperty("imeMode", QStringLiteral("off"));
    label2->setBuddy(Edit3);

    auto* label1 = new QLabel(QStringLiteral("検索キー"), Panel1);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setToolTip(QStringLiteral("電話番号の下４桁、ﾌﾘｶﾞﾅ･名称の一部で検索できます。"));
    // Readings are typed in half-width katakana through the input method.
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, true);
    Edit1->setProperty("imeMode", QStringLiteral("kana"));
    label1->setBuddy(Edit1);

    CheckBox1 = new QCheckBox(QStringLiteral("50音順"), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(QStringLiteral("検索 先頭一致"), Panel1);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));

    Button1 = pickers::Button(this, "Button1", QStringLiteral("検索"));
    Button1->hide();

    BitBtn1 = pickers::Button(Panel1, "BitBtn1", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);
    BitBtn2 = pickers::Button(Panel1, "BitBtn2", QStringLiteral("OK"), QStyle::SP_DialogOkButton);
    BitBtn1->setMinimumWidth(120);
    BitBtn2->setMinimumWidth(120);

    Label3 = new QLabel(QStringLiteral("↑ 検索キー・名前・電話番号の下4桁で検索できます。"), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new QLabel(QStringLiteral("検索ｷｰを指定した場合は、工種CDを無視して検索します。"), Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    for (QLabel* help : {Label3, Label4}) {
        QPalette p = help->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        help->setPalette(p);
    }

    auto* top = new QGridLayout(Panel1);
    top->setContentsMargins(8, 6, 8, 6);
    top->addWidget(label2, 0, 0);
    top->addWidget(Edit3, 0, 1);
    top->addWidget(label1, 0, 2);
    top->addWidget(Edit1, 0, 3);
    top->addWidget(CheckBox1, 0, 4);
    top->addWidget(CheckBox2, 0, 5);
    top->setColumnStretch(6, 1);
    top->addWidget(BitBtn1, 0, 7);
    top->addWidget(BitBtn2, 0, 8);
    top->addWidget(Label3, 1, 3, 1, 3);
    top->addWidget(Label4, 2, 0, 1, 6);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    QFont listFont = pickers::PickerFont();
    listFont.setPointSize(ListFontSize);
    DBGrid1->setFont(listFont);
    DBGrid1->setAttribute(Qt::WA_InputMethodEnabled, true);
    DBGrid1->setProperty("imeMode", QStringLiteral("kana"));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    pickers::SetUpGrid(DBGrid1, DataSource1,
                       {
                           {QStringLiteral("T_CD"), QStringLiteral("仕入先CD"), 100, right, {}},
                           {QStringLiteral("T_KEY"), QStringLiteral("キー"), 100, {}, {}},
                           {{}, QStringLiteral("名称"), 231, {}, &FDQ_1CalcFields},
                           {QStringLiteral("T_TEL"), QStringLiteral("TEL"), 130, {}, {}},
                           {QStringLiteral("T_FAX"), QStringLiteral("FAX"), 130, {}, {}},
                           {QStringLiteral("KU_KOUSYU"), QStringLiteral("工種CD"), 70, Qt::AlignCenter, {}},
                       });
    QHeaderView* titles = DBGrid1->horizontalHeader();
    titles->setStretchLastSection(false);
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionsClickable(true);
    titles->setHighlightSections(false);
    fitTitles();

    // A word-wrapping box of the design's width and font, never shown: what
    // its first line holds is the short name OK stores.
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    QFont memoFont(QStringLiteral("ＭＳ Ｐゴシック"));
    memoFont.setPixelSize(16);
    Memo1->setFont(memoFont);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo1->document()->setDocumentMargin(2);
    Memo1->setFixedWidth(172);
    Memo1->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    resize(803, 592);

    setTabOrder(Edit3, Edit1);
    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, DBGrid1);
    setTabOrder(DBGrid1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn1);

    connect(Button1, &QPushButton::clicked, this, [this] { reporting([this] { Button1Click(); }); });
    // The list follows a check box at once, whoever changes it.
    for (QCheckBox* box : {CheckBox1, CheckBox2})
        connect(box, &QCheckBox::toggled, this, [this] { Button1->click(); });
    connect(titles, &QHeaderView::sectionClicked, this,
            [this](int column) { reporting([this, column] { DBGrid1TitleClick(column); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &Ttrad_sen2::BitBtn2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &Ttrad_sen2::BitBtn1Click);
    setList(DBGrid1, Edit1);
    forgetOnDestruction(trad_sen2);
}

Ttrad_sen2::~Ttrad_sen2() = default;

void Ttrad_sen2::FormShow()
{
    Edit3->clear();
    setAttribute(Qt::WA_InputMethodEnabled, false);
    try {
        Button1Click();
    } catch (const std::exception&) {
        // Taken for an old suite's table: add what it lacks and try once more.
        try {
            repairOldTable();
            Button1Click();
        } catch (const std::exception&) {
            ShowError(std::current_exception());
        }
    }
    Edit1->setFocus();
}

void Ttrad_sen2::repairOldTable()
{
    FDQ_1.close();
    // Statements prepared against the old table would go on reading its old columns.
    m_suite.setConnected(false);
    // Only what is missing is added; any failure is a real one and is reported.
    for (const auto& [column, statement] : SupplierColumnAdditions()) {
        db::AddColumnIfMissing(m_suite, QStringLiteral("MAS_SIIRE"), column, [this, &statement = statement] {
            m_statement.close();
            m_statement.setSql(statement);
            m_statement.execute();
            m_statement.close();
        });
    }
}

void Ttrad_sen2::FormClose()
{
    FDQ_1.close();
    Edit1->setFocus();
}

void Ttrad_sen2::done(int result)
{
    FormClose();
    TPicker::done(result);
}

void Ttrad_sen2::open(const Statement& statement)
{
    pickers::Reopen(FDQ_1, statement.sql, statement.params);
}

void Ttrad_sen2::requireSupplierRecord()
{
    // The list is the whole supplier record as the current suite has it (OK
    // and the callers read from it). An old suite's table lacks its newest
    // columns, which the first showing adds.
    for (const auto& [column, addition] : SupplierColumnAdditions()) {
        if (FDQ_1.fieldIndex(column) < 0) {
            FDQ_1.close();
            throw db::Error(QStringLiteral("FDQ_1: フィールド '%1' が見つかりません").arg(column));
        }
    }
}

void Ttrad_sen2::Button1Click()
{
    using namespace suppliersearch;
    const QString key = Edit1->text();
    const QString tradeType = Edit3->text();
    const bool byKey = CheckBox1->isChecked();
    FDQ_1.close();
    switch (SearchBranchFor(key, tradeType)) {
    case SearchBranch::Key:
        open(KeySearch(key, CheckBox2->isChecked(), byKey));
        break;
    case SearchBranch::TradeType:
        open(TradeTypeSearch(toIntDef(tradeType), byKey));
        // Nobody carries the trade type: every supplier instead.
        if (FDQ_1.isEmpty())
            open(AllSuppliers(byKey));
        break;
    case SearchBranch::All:
        open(AllSuppliers(byKey));
        break;
    }
    requireSupplierRecord();

    if (key.isEmpty() && tradeType.isEmpty() && FDQ_1.isEmpty()) {
        // No live supplier at all: there is nothing to choose from.
        SelectedSupplierCode = QStringLiteral("0");
        SelectedSupplierName.clear();
        closeAsCancel();
    }
}

void Ttrad_sen2::closeAsCancel()
{
    setResult(ResultCancel);
    // Showing runs the search before the dialog's own event loop is there to
    // end; the dialog closes as soon as it is.
    if (isVisible())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isVisible())
                    done(ResultCancel);
            },
            Qt::QueuedConnection);
}

void Ttrad_sen2::DBGrid1TitleClick(int column)
{
    using namespace suppliersearch;
    if (!FDQ_1.isOpen() || column < 0 || column >= int(kSortFields.size()))
        return;
    const QString& field = kSortFields[std::size_t(column)];
    const QString key = Edit1->text();
    FDQ_1.close();
    if (!key.isEmpty()) {
        open(KeySort(key, CheckBox2->isChecked(), NextOrderLine(field)));
    } else if (!Edit3->text().isEmpty()) {
        open(TradeTypeSort(toIntDef(Edit3->text()), NextOrderLine(field)));
        // The fallback builds an order line of its own, so it runs the other way.
        if (FDQ_1.isEmpty())
            open(AllSort(NextOrderLine(field)));
    } else {
        open(AllSort(NextOrderLine(field)));
    }
}

QVariant Ttrad_sen2::FDQ_1CalcFields(const db::Query& query, int row)
{
    const QString shortName = textAt(query, row, QStringLiteral("T_NAME03"));
    return !shortName.isEmpty() ? shortName : textAt(query, row, QStringLiteral("T_NAME01"));
}

bool Ttrad_sen2::Edit1KeyPress(int key)
{
    if (!pickers::IsEnter(key))
        return false;
    Button1->click();
    if (FDQ_1.isOpen() && !FDQ_1.isEmpty())
        DBGrid1->setFocus();
    return true;
}

void Ttrad_sen2::DBGrid1DblClick()
{
    BitBtn2Click();
}

bool Ttrad_sen2::DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta)
{
    if (!ZoomListFont(DBGrid1, modifiers, delta))
        return false;
    fitTitles();
    return true;
}

void Ttrad_sen2::fitTitles()
{
    // The title row follows the grid's zoomed font.
    DBGrid1->horizontalHeader()->setMinimumHeight(QFontMetrics(DBGrid1->font()).height() + 8);
}

void Ttrad_sen2::BitBtn2Click()
{
    int row = pickers::CurrentRow(DBGrid1);
    // Chosen without being shown (the merge's one-hit shortcut): the row the list opened on.
    if (row < 0 && FDQ_1.isOpen() && !FDQ_1.isEmpty())
        row = FDQ_1.recNo() - 1;
    const bool chosen = row >= 0 && FDQ_1.isOpen() && row < FDQ_1.fetchedCount();

    QString mainName, shortName;
    bool tradeTypeMissing = false;
    int code = 0;
    if (chosen) {
        FDQ_1.moveTo(row);
        code = toIntDef(textAt(FDQ_1, row, QStringLiteral("T_CD")));
        mainName = textAt(FDQ_1, row, QStringLiteral("T_NAME01"));
        shortName = textAt(FDQ_1, row, QStringLiteral("T_NAME03"));
        const int kousyu = FDQ_1.fieldIndex(QStringLiteral("KU_KOUSYU"));
        tradeTypeMissing = kousyu < 0 || FDQ_1.valueAt(row, kousyu).isNull();
    }
    SelectedSupplierCode = QString::number(code);
    SelectedSupplierName = mainName;

    // The choice stands whatever happens to the two completions.
    if (chosen) {
        try {
            if (shortName.isEmpty() && !mainName.isEmpty()) {
                // Measured as the text stood in the statement, quotes doubled.
                QString completed =
                    suppliersearch::ShortNameFrom(mainName).replace(u'\'', QStringLiteral("''"));
                completed = suppliersearch::FirstDisplayLine(completed, Memo1->font(),
                                                             suppliersearch::TextWidthOf(*Memo1))
                                .replace(QStringLiteral("''"), QStringLiteral("'"));
                // A name of blanks alone leaves nothing worth storing.
                if (!completed.isEmpty())
                    suppliersearch::StoreShortName(m_statement, code, completed);
            }
            const int tradeType = toIntDef(Edit3->text());
            if (tradeTypeMissing && tradeType > 0 &&
                ShowMessageDialog(MessageAskDefaultNo,
                                  SelectedSupplierName + QStringLiteral("に工種をセットしますか？")) == 1)
                suppliersearch::StoreTradeType(m_statement, code, tradeType);
        } catch (const std::exception&) {
            m_statement.close();
            ShowError(std::current_exception());
        }
    }
    done(ResultOk);
}

void Ttrad_sen2::BitBtn1Click()
{
    SelectedSupplierCode = QStringLiteral("0");
    SelectedSupplierName.clear();
    done(ResultCancel);
}

void Ttrad_sen2::Edit3DblClick()
{
    const QPoint cursor = QCursor::pos();
    if (QWidget* main = QApplication::activeWindow()) {
        main->raise();
        main->activateWindow();
    }
    QCoreApplication::processEvents();
    if (!KOUSYU_MAS)
        return;
    KOUSYU_MAS->move(cursor.x(), cursor.y() - 40);
    bool listed = false;
    reporting([&listed] {
        db::Query& list = KOUSYU_MAS->FDQ_1;
        list.close();
        list.setSql(QStringLiteral("select BL_KUBUN*100+BM_KUBUN as KOUSYU,NAME01 as NAME_01,'1' as ARI "
                                   "from MAS_KOUSYU_02 order by KOUSYU"));
        list.open();
        listed = true;
    });
    if (!listed || modal::exec(*KOUSYU_MAS) != TPicker::ResultOk)
        return;
    Edit3->setText(QString::number(SelectedTradeTypeCode));
    Button1->click();
}

void Ttrad_sen2::reporting(const std::function<void()>& search)
{
    try {
        search();
    } catch (const std::exception&) {
        // A search that failed has left the list closed.
        ShowError(std::current_exception());
    }
}

bool Ttrad_sen2::previewKey(QWidget* target, int key)
{
    // Enter in the trade-type box searches as it does in the key box.
    if (target == Edit1 || target == Edit3)
        return Edit1KeyPress(key);
    return false;
}

bool Ttrad_sen2::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (watched == Edit3) {
            Edit3DblClick();
            return true;
        }
        break;
    case QEvent::KeyPress:
        // Esc is the cancel button's (it publishes that nothing was chosen);
        // only the close box leaves the results alone.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            const auto* target = qobject_cast<QWidget*>(watched);
            if (target && target->window() == this) {
                BitBtn1Click();
                return true;
            }
        }
        break;
    default:
        break;
    }
    return TPicker::eventFilter(watched, event);
}
