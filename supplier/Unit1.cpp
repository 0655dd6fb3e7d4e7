#include "supplier/Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QScreen>
#include <QToolButton>

#include "db/Error.h"
#include "dialogs/DropDownBox.h"
#include "dialogs/FORM_KOUSYU_MAS.h"
#include "dialogs/Forms.h"
#include "dialogs/keisan_in.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/MAS_BANK.h"
#include "dialogs/MAS_BANK_S.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/TypingLimit.h"
#include "dialogs/Unit6.h"
#include "dialogs/ZIP_SEL.h"
#include "import/Unit5.h"
#include "merge/Unit7.h"
#include "search/trad_sel.h"
#include "search/Unit8.h"
#include "suite/Folders.h"
#include "suite/SchemaChecks.h"
#include "suite/ScreenFit.h"
#include "suite/SuiteLink.h"
#include "suite/Unit2.h"
#include "suite/Workstation.h"
#include "supplier/ScreenRules.h"
#include "util/DateFields.h"
#include "util/Numbers.h"

QString ProgramBaseName;
QString ProgramFolder;
QString SuiteFolder;
QString ComputerName;
QString CompanyName;
int DefaultClosingDay = 0;
int DefaultPaymentDay = 0;
QString DatabasePassword = QStringLiteral("zorquemit");
QString ExePath;
QString NetDatabasePath;
QString NetServer;

TForm1* Form1 = nullptr;

void ResetStartupSettings()
{
    ProgramBaseName.clear();
    ProgramFolder.clear();
    SuiteFolder.clear();
    ComputerName.clear();
    CompanyName.clear();
    DefaultClosingDay = 0;
    DefaultPaymentDay = 0;
    DatabasePassword = QStringLiteral("zorquemit");
    ExePath.clear();
    NetDatabasePath.clear();
    NetServer.clear();
}

namespace {

const QString kTitle = QStringLiteral("仕入先マスター登録");
const QColor kHighlight(255, 210, 233);
const QString kRuler = QStringLiteral("1234567890").repeated(11);

// Design geometry: one row of fields every 34 pixels.
constexpr int kEditHeight = 27;
int row(int r)
{
    return 8 + r * 34;
}

QFont mincho(int pixels)
{
    QFont f(QStringLiteral("ＭＳ 明朝"));
    f.setPixelSize(pixels);
    return f;
}

// How a box takes Japanese input. Linux input methods choose hiragana or
// katakana themselves; what the program decides is whether the box takes
// composed input at all.
enum class Ime { Off, Hiragana, Katakana, Closed };

void setIme(QWidget* w, Ime mode)
{
    w->setAttribute(Qt::WA_InputMethodEnabled, mode != Ime::Off);
    if (mode == Ime::Closed)
        w->setInputMethodHints(Qt::ImhPreferLatin);
    static const char* const names[] = {"off", "hira", "kana", "closed"};
    w->setProperty("imeMode", QLatin1String(names[int(mode)]));
}

QColor baseColour(const QWidget* w)
{
    return w->palette().color(QPalette::Base);
}

void setBaseColour(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

QColor windowColour()
{
    return QApplication::palette().color(QPalette::Base);
}

// The longest beginning of text no wider than width in font.
QString cutToWidth(const QString& text, const QFont& font, int width)
{
    const QFontMetrics fm(font);
    if (fm.horizontalAdvance(text) <= width)
        return text;
    qsizetype lo = 0;
    qsizetype hi = text.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (fm.horizontalAdvance(text.left(mid)) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo > 0 && text[lo - 1].isHighSurrogate())
        --lo;
    return text.left(lo);
}

// The date boxes turn an era year or a two-digit year into a full year and
// drop a month or day that cannot be one.
void applyDateRules(QLineEdit* box)
{
    const QString corrected = CorrectedDatePart(box->objectName(), box->text());
    if (corrected != box->text())
        box->setText(corrected);
}

// Design geometry of the field panel: label and box columns.
constexpr int kLeftLabelX = 8, kLeftEditX = 108;
constexpr int kRightLabelX = 500, kRightEditX = 578;
constexpr int kSecondLabelX = 792, kSecondEditX = 870;

// Makes the controls of the main screen's field panel in the design's faces
// and sizes; each gets its object name.
class FieldMaker
{
public:
    explicit FieldMaker(QWidget* panel) : m_panel(panel) {}

    QLabel* label(const QString& text, int x, int y, int w, const char* name = nullptr) const
    {
        auto* l = new QLabel(text, m_panel);
        l->setObjectName(name ? QLatin1String(name) : QStringLiteral("lbl_%1_%2").arg(x).arg(y));
        l->setFont(mincho(19));
        l->setGeometry(x, y, w, kEditHeight);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return l;
    }

    // A blue note beside a field.
    QLabel* hint(const QString& text, int x, int y, int w) const
    {
        QLabel* l = label(text, x, y, w);
        l->setFont(mincho(16));
        l->setStyleSheet(QStringLiteral("color: blue;"));
        return l;
    }

    QLineEdit* edit(const char* name, int x, int y, int w, Ime ime,
                    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) const
    {
        auto* e = new QLineEdit(m_panel);
        e->setObjectName(QLatin1String(name));
        e->setFont(mincho(19));
        e->setGeometry(x, y, w, kEditHeight);
        e->setAlignment(align);
        setIme(e, ime);
        return e;
    }

    QLineEdit* readOnlyBox(const char* name, int x, int y, int w, int maxLength) const
    {
        QLineEdit* e = edit(name, x, y, w, Ime::Off, Qt::AlignCenter);
        e->setReadOnly(true);
        e->setMaxLength(maxLength);
        setBaseColour(e, QApplication::palette().color(QPalette::Button)); // button face
        return e;
    }

    // A date's caption and its read-only year, month and day boxes on the top
    // row, named NEN, TUKI and HI with the suffix.
    void dateBoxes(const QString& caption, int x, const char* suffix, QLineEdit*& year, QLineEdit*& month,
                   QLineEdit*& day) const
    {
        const auto name = [suffix](const char* part) {
            return QByteArray(part) + suffix;
        };
        label(caption, x, row(0), 64);
        year = readOnlyBox(name("NEN").constData(), x + 66, row(0), 56, 4);
        label(QStringLiteral("年"), x + 124, row(0), 20);
        month = readOnlyBox(name("TUKI").constData(), x + 146, row(0), 36, 2);
        label(QStringLiteral("月"), x + 184, row(0), 20);
        day = readOnlyBox(name("HI").constData(), x + 206, row(0), 36, 2);
        label(QStringLiteral("日"), x + 244, row(0), 20);
    }

    DropDownBox* combo(const char* name, int x, int y, int w) const
    {
        auto* c = new DropDownBox(m_panel);
        c->setObjectName(QLatin1String(name));
        c->setFont(mincho(19));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        LimitTyping(c->lineEdit(), 10); // names set by a lookup show whole
        c->setGeometry(x, y, w, kEditHeight);
        return c;
    }

    // A code box on field row r.
    QLineEdit* codeField(const char* name, int x, int r, int maxLength, Qt::Alignment align) const
    {
        QLineEdit* e = edit(name, x, row(r), 44, Ime::Off, align);
        e->setMaxLength(maxLength);
        return e;
    }

private:
    QWidget* m_panel;
};
} // namespace

void CreateForms(TForm1& mainScreen, TDM2& data)
{
    db::Connection& suite = data.FDConnection1;
    keisan_in = new Tkeisan_in(&mainScreen);
    MASSAGE_FORM = new TMASSAGE_FORM(&mainScreen);
    Form_Txt_Con = new TForm_Txt_Con(data, &mainScreen);
    // Imported texts are shortened to what these boxes show.
    Form_Txt_Con->setWidthReferences(mainScreen.ED_02_1, mainScreen.E_MAILE, mainScreen.ED_12);
    Form6 = new TForm6(&mainScreen);
    Form6->setSource(&Form_Txt_Con->FDQuery1);
    Form7 = new TForm7(suite, &mainScreen);
    Form8 = new TForm8(data, &mainScreen);
    Form8->setProgramFolder(&ProgramFolder);
    Form_kouzou_sel = new TForm_kouzou_sel(suite, &mainScreen);
    Form_ZIP = new TForm_ZIP(suite, &mainScreen);
    BAN_SEL = new TBAN_SEL(suite, &mainScreen);
    BANK_S_SELL = new TBANK_S_SELL(suite, &mainScreen);
    KOUSYU_MAS = new TKOUSYU_MAS(suite, &mainScreen);
    trad_sen2 = new Ttrad_sen2(suite, &mainScreen);
}

bool IsPlainEdit(const QWidget* w)
{
    return w && w->metaObject() == &QLineEdit::staticMetaObject &&
           !qobject_cast<QComboBox*>(w->parentWidget());
}

QList<QLineEdit*> PlainEditsOf(QWidget* form)
{
    QList<QLineEdit*> edits;
    for (QObject* child : form->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) // a dialog the form owns has boxes of its own
            continue;
        if (IsPlainEdit(w))
            edits << static_cast<QLineEdit*>(w);
        edits << PlainEditsOf(w);
    }
    return edits;
}

void ClearEditFields(QWidget* form)
{
    if (!form)
        return;
    if (!ProgramFolder.isEmpty())
        QDir::setCurrent(ProgramFolder);
    for (QLineEdit* e : PlainEditsOf(form))
        if (!e->objectName().contains(QLatin1String("_SYS_")))
            e->clear();
}

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kTitle);
    // System menu only: no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(mincho(19));
    buildCommandBar();
    buildFields();
    buildTabOrder();
    resize(1079, 598);
    qApp->installEventFilter(this);
    InstallFocusHandler();
    FormCreate();
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::buildCommandBar()
{
    Panel6 = new QFrame(this);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setGeometry(0, 0, 1079, 80);
    ToolBar3 = new QWidget(Panel6);
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    ToolBar1 = new QWidget(Panel6);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar2 = new QWidget(Panel6);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    for (QWidget* bar : {ToolBar3, ToolBar1})
        bar->setGeometry(0, 0, 1079, 48);
    ToolBar2->setGeometry(0, 50, 1079, 22);

    QFont buttonFont(QStringLiteral("ＭＳ Ｐ明朝"));
    buttonFont.setPixelSize(15);
    buttonFont.setBold(true);
    auto makeButton = [&](QWidget* bar, const QString& name, const QString& caption) {
        auto* b = new QToolButton(bar);
        b->setObjectName(name);
        b->setText(caption);
        b->setAutoRaise(true); // a flat speed button
        b->setFocusPolicy(Qt::NoFocus);
        b->setFont(buttonFont);
        b->setStyleSheet(QStringLiteral("color: navy;"));
        b->setGeometry(0, 0, 65, 48);
        return b;
    };
    // The two-character captions have an ideographic space between their characters.
    const QStringList normal = {QStringLiteral("Ｈｅｌｐ"), {},
                                QStringLiteral("登　録"),   {},
                                QStringLiteral("検　索"),   QStringLiteral("←前へ"),
                                QStringLiteral("次へ→"),    QStringLiteral("初期化"),
                                QStringLiteral("一覧表"),   {},
                                QStringLiteral("印　刷"),   QStringLiteral("終　了")};
    const QStringList shifted = {{},
                                 {},
                                 {},
                                 QStringLiteral("削　除"),
                                 {},
                                 {},
                                 {},
                                 QStringLiteral("ﾏｽﾀｰ統合"),
                                 QStringLiteral("TXT取込"),
                                 {},
                                 {},
                                 {}};
    for (int i = 0; i < 12; ++i) {
        normalBank << makeButton(ToolBar3, QStringLiteral("SB%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                                 normal[i]);
        shiftBank << makeButton(ToolBar1, QStringLiteral("SBS_%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                                shifted[i]);
        auto* legend = new QLabel(QStringLiteral("F%1").arg(i + 1), ToolBar2);
        legend->setObjectName(QStringLiteral("label%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        legend->setAlignment(Qt::AlignCenter);
        legend->setFont(mincho(15));
        legend->setStyleSheet(QStringLiteral("color: maroon;"));
        keyLabels << legend;
    }
    SB01 = normalBank[0], SB02 = normalBank[1], SB03 = normalBank[2], SB04 = normalBank[3];
    SB05 = normalBank[4], SB06 = normalBank[5], SB07 = normalBank[6], SB08 = normalBank[7];
    SB09 = normalBank[8], SB10 = normalBank[9], SB11 = normalBank[10], SB12 = normalBank[11];
    SBS_01 = shiftBank[0], SBS_02 = shiftBank[1], SBS_03 = shiftBank[2], SBS_04 = shiftBank[3];
    SBS_05 = shiftBank[4], SBS_06 = shiftBank[5], SBS_07 = shiftBank[6], SBS_08 = shiftBank[7];
    SBS_09 = shiftBank[8], SBS_10 = shiftBank[9], SBS_11 = shiftBank[10], SBS_12 = shiftBank[11];
    // Delete is drawn in its warning colour.
    SBS_04->setStyleSheet(QStringLiteral("color: rgb(255, 0, 128);"));
    ToolBar1->hide();

    connect(SBS_01, &QToolButton::clicked, this, &TForm1::SBS_01Click);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(0, 80, 1079, 18);
    ProgressBar1->hide();
}

void TForm1::buildFields()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 80, 1079, 518);
    buildNameFields();
    buildBankFields();
    buildCodeFields();
    buildRateFields();
    buildPanelTools();
}

// Left: code, dates, names, contacts and address.
void TForm1::buildNameFields()
{
    FieldMaker make(Panel1);
    const Qt::Alignment centred = Qt::AlignCenter;
    constexpr int lx = kLeftLabelX, ex = kLeftEditX;
    make.label(QStringLiteral("仕入先CD"), lx, row(0), 96);
    BAN_01 = make.readOnlyBox("BAN_01", ex, row(0), 90, 32767);
    BAN_01->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    make.dateBoxes(QStringLiteral("登録日"), 230, "05", NEN05, TUKI05, HI05);
    make.dateBoxes(QStringLiteral("修正日"), 520, "06", NEN06, TUKI06, HI06);

    // The labelled boxes of the left column, top down.
    const struct
    {
        const char16_t* caption; // none: the second line of the one above
        QLineEdit** box;
        const char* name;
        int row, width;
        Ime ime;
    } boxes[] = {
        {u"検索ｷｰ", &ED_01, "ED_01", 1, 250, Ime::Katakana},
        {u"仕入先名", &ED_02_1, "ED_02_1", 2, 380, Ime::Hiragana},
        {nullptr, &ED_02_2, "ED_02_2", 3, 380, Ime::Hiragana},
        {u"略称", &E_RYAKU, "E_RYAKU", 4, 380, Ime::Hiragana},
        {u"代表者名", &ED_03, "ED_03", 5, 250, Ime::Hiragana},
        {u"担当部署", &ED_04, "ED_04", 6, 250, Ime::Hiragana},
        {u"担当者名", &ED_05, "ED_05", 7, 250, Ime::Hiragana},
        {u"電話番号", &ED_06, "ED_06", 8, 150, Ime::Off},
        {u"郵便番号", &ED_08, "ED_08", 9, 110, Ime::Off},
        {u"住所１", &ED_09, "ED_09", 10, 380, Ime::Hiragana},
        {u"住所２", &ED_10, "ED_10", 11, 380, Ime::Hiragana},
        {u"携帯電話", &ED_12, "ED_12", 12, 160, Ime::Off},
        {u"備考", &ED_13, "ED_13", 13, 380, Ime::Hiragana},
        {u"ﾒｰﾙｱﾄﾞﾚｽ", &E_MAILE, "E_MAILE", 15, 935, Ime::Off},
    };
    for (const auto& b : boxes) {
        if (b.caption)
            make.label(QString::fromUtf16(b.caption), lx, row(b.row), 96);
        *b.box = make.edit(b.name, ex, row(b.row), b.width, b.ime);
    }
    make.label(QStringLiteral("FAX番号"), 264, row(8), 76);
    ED_07 = make.edit("ED_07", 338, row(8), 150, Ime::Off);
    make.label(QStringLiteral("ｲﾝﾎﾞｲｽ番号"), lx, row(14), 96);
    E_INBOICE = make.edit("E_INBOICE", ex, row(14), 170, Ime::Closed, centred);
    CheckBox1 = new QCheckBox(QStringLiteral("インボイス未登録業者"), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setFont(mincho(19));
    CheckBox1->setGeometry(292, row(14), 220, kEditHeight);
}

// Right: bank account, fees and days.
void TForm1::buildBankFields()
{
    FieldMaker make(Panel1);
    const Qt::Alignment centred = Qt::AlignCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr int rx = kRightLabelX, rex = kRightEditX;
    // The bank and the branch: a code box that searches, and the reading found.
    const auto codeAndName = [&](int r, const QString& what, const char* code, QLineEdit*& codeBox,
                                 const char* name, QLineEdit*& nameBox) {
        make.label(what + QStringLiteral("ＣＤ"), rx, row(r), 76);
        codeBox = make.edit(code, rex, row(r), 60, Ime::Off);
        codeBox->setMaxLength(8);
        codeBox->setToolTip(what + QStringLiteral("名は、半角カタカナで検索できます。"));
        make.label(what + QStringLiteral("名"), 644, row(r), 56);
        nameBox = make.edit(name, 702, row(r), 341, Ime::Hiragana);
    };
    codeAndName(1, QStringLiteral("銀行"), "E_CD_1", E_CD_1, "E_GINKOU_1", E_GINKOU_1);
    codeAndName(2, QStringLiteral("支店"), "E_CD_2", E_CD_2, "E_GINKOU_2", E_GINKOU_2);
    make.label(QStringLiteral("口座種別"), rx, row(3), 76);
    E_CD_3 = make.edit("E_CD_3", rex, row(3), 30, Ime::Off, centred);
    E_CD_3->setMaxLength(1);
    make.label(QStringLiteral("１；普通預金 ２；当座預金"), 616, row(3), 300);
    make.label(QStringLiteral("口座番号"), rx, row(4), 76);
    E_GINKOU_3 = make.edit("E_GINKOU_3", rex, row(4), 150, Ime::Closed);
    make.label(QStringLiteral("口座名義"), rx, row(5), 76);
    E_GINKOU_4 = make.edit("E_GINKOU_4", rex, row(5), 465, Ime::Katakana);

    constexpr int fx = rex + 22; // the fee boxes, under their column heads
    make.label(QStringLiteral("1万未満"), fx, row(6) + 6, 90)->setAlignment(centred);
    make.label(QStringLiteral("3万未満"), fx + 94, row(6) + 6, 90)->setAlignment(centred);
    make.label(QStringLiteral("3万以上"), fx + 188, row(6) + 6, 90)->setAlignment(centred);
    make.label(QStringLiteral("振込手数料"), rx, row(7), 100);
    BAN_18 = make.edit("BAN_18", fx, row(7), 90, Ime::Off, right);
    BAN_16 = make.edit("BAN_16", fx + 94, row(7), 90, Ime::Off, right);
    BAN_17 = make.edit("BAN_17", fx + 188, row(7), 90, Ime::Off, right);
    make.hint(QStringLiteral("←税込み"), fx + 284, row(7), 80);

    make.label(QStringLiteral("締 め 日"), rx, row(8), 76);
    BAN_08 = make.edit("BAN_08", rex, row(8), 44, Ime::Off, centred);
    make.hint(QStringLiteral("締め日は、末締めならば３１を入力します。"), rex + 50, row(8), 420);
    make.label(QStringLiteral("支 払 日"), rx, row(9), 76);
    BAN_09 = make.edit("BAN_09", rex, row(9), 44, Ime::Off, centred);
    make.hint(QStringLiteral("支払日は、日付＋翌月なら100翌々月なら＋200"), rex + 50, row(9), 420);
}

// Right, lower: the coded fields with their name drop-downs.
void TForm1::buildCodeFields()
{
    FieldMaker make(Panel1);
    const Qt::Alignment centred = Qt::AlignCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr int rx = kRightLabelX, rex = kRightEditX, cx2 = kSecondLabelX, cex2 = kSecondEditX;
    // Each coded field: its label, its code box and the drop-down of names beside it.
    struct Layout
    {
        const char16_t* caption;
        QLabel** label; // kept: the labels that start a sibling program
        const char* labelName;
        QLineEdit*& box;
        const char* boxName;
        int maxLength;
        Qt::Alignment align;
        QComboBox*& names;
        const char* namesName;
        int namesWidth;
        int labelX, boxX, fieldRow;
    };
    const Layout fields[] = {
        {u"税区分", nullptr, nullptr, BAN_10, "BAN_10", 1, centred, C_BOX_10, "C_BOX_10", 145, rx, rex, 10},
        {u"科目", &Label18, "Label18", BAN_12, "BAN_12", 3, centred, C_BOX_12, "C_BOX_12", 145, rx, rex, 11},
        {u"支払区分", nullptr, nullptr, BAN_14, "BAN_14", 1, centred, C_BOX_14, "C_BOX_14", 145, rx, rex, 12},
        {u"工種", &Label20, "Label20", BAN_13, "BAN_13", 4, right, C_BOX_13, "C_BOX_13", 161, rx, rex, 13},
        {u"金額計算", nullptr, nullptr, BAN_21, "BAN_21", 1, centred, C_BOX_21, "C_BOX_21", 145, cx2, cex2,
         10},
        {u"税端数", nullptr, nullptr, BAN_11, "BAN_11", 1, right, C_BOX_11, "C_BOX_11", 156, cx2, cex2, 11},
        {u"請求区分", nullptr, nullptr, BAN_20, "BAN_20", 1, right, C_BOX_20, "C_BOX_20", 137, cx2, cex2, 12},
    };
    for (const Layout& f : fields) {
        QLabel* caption =
            make.label(QString::fromUtf16(f.caption), f.labelX, row(f.fieldRow), 76, f.labelName);
        if (f.label)
            *f.label = caption;
        f.box = make.codeField(f.boxName, f.boxX, f.fieldRow, f.maxLength, f.align);
        f.names = make.combo(f.namesName, f.boxX + 46, row(f.fieldRow), f.namesWidth);
    }
    make.label(QStringLiteral("業者区分"), cx2, row(13), 76);
    ComboBox1 = make.combo("ComboBox1", cex2, row(13), 145);
    ComboBox1->addItems({QStringLiteral("法人・団体"), QStringLiteral("個人")});
    ComboBox1->setCurrentIndex(0);
    setIme(ComboBox1, Ime::Closed);
}

// The rates under the coded fields.
void TForm1::buildRateFields()
{
    FieldMaker make(Panel1);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr int rx = kRightLabelX, rex = kRightEditX;
    make.label(QStringLiteral("協力費"), rx, row(14), 76);
    ED_11 = make.edit("ED_11", rex, row(14), 60, Ime::Off, right);
    make.label(QStringLiteral("％"), rex + 62, row(14), 24);
    make.label(QStringLiteral("手形"), rex + 100, row(14), 44);
    BAN_15 = make.edit("BAN_15", rex + 146, row(14), 60, Ime::Off, right);
    make.label(QStringLiteral("％"), rex + 208, row(14), 24);
    // The discount rate is shown in one customer's installation only.
    Label36 = make.label(QStringLiteral("歩引"), rex + 246, row(14), 44, "Label36");
    ED_14 = make.edit("ED_14", rex + 292, row(14), 60, Ime::Off, right);
    Label37 = make.label(QStringLiteral("％"), rex + 354, row(14), 24, "Label37");
    for (QWidget* w :
         {static_cast<QWidget*>(Label36), static_cast<QWidget*>(ED_14), static_cast<QWidget*>(Label37)})
        w->hide();
}

// The bank master button, the hidden load button and the measuring label.
void TForm1::buildPanelTools()
{
    SpeedButton1 = new QToolButton(Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("銀行マスター"));
    SpeedButton1->setFont(mincho(15));
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setGeometry(926, row(3), 117, kEditHeight);
    Button1 = new QPushButton(QStringLiteral("検索セット"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(926, row(4), 117, kEditHeight);
    Button1->setFocusPolicy(Qt::NoFocus);
    Button1->hide();

    // Measures texts in the fields' own font.
    L_MOJI = new QLabel(Panel1);
    L_MOJI->setObjectName(QStringLiteral("L_MOJI"));
    L_MOJI->setFont(mincho(19));
    L_MOJI->hide();
}

void TForm1::buildTabOrder()
{
    // Every control in screen order; the stops of the Enter order are the
    // ones marked true. The others are reached by mouse only.
    const QList<QPair<QWidget*, bool>> order = {
        {BAN_01, false},   {NEN05, false},      {TUKI05, false},   {HI05, false},      {NEN06, false},
        {TUKI06, false},   {HI06, false},       {ED_01, true},     {ED_02_1, true},    {ED_02_2, true},
        {E_RYAKU, true},   {ED_03, true},       {ED_04, true},     {ED_05, true},      {ED_06, true},
        {ED_07, true},     {ED_08, true},       {ED_09, true},     {ED_10, true},      {ED_12, true},
        {ED_13, true},     {E_INBOICE, true},   {E_MAILE, true},   {E_CD_1, true},     {E_GINKOU_1, false},
        {E_CD_2, true},    {E_GINKOU_2, false}, {E_CD_3, true},    {E_GINKOU_3, true}, {E_GINKOU_4, true},
        {BAN_18, true},    {BAN_16, true},      {BAN_17, true},    {BAN_08, true},     {BAN_09, true},
        {BAN_10, true},    {C_BOX_10, false},   {BAN_12, true},    {C_BOX_12, false},  {BAN_14, true},
        {C_BOX_14, false}, {BAN_21, true},      {C_BOX_21, false}, {BAN_11, true},     {C_BOX_11, false},
        {BAN_13, true},    {C_BOX_13, false},   {BAN_20, true},    {C_BOX_20, false},  {ComboBox1, false},
        {ED_11, true},     {BAN_15, true},      {ED_14, true},     {CheckBox1, true},
    };
    QWidget* previous = nullptr;
    for (const auto& [w, stop] : order) {
        m_tabOrder << w;
        if (stop)
            m_stops << w;
        w->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    // The fields that take Enter themselves (bank, branch, postal code and the
    // coded fields) keep Enter from moving on while they have the focus.
    for (QWidget* w :
         {static_cast<QWidget*>(ED_08), static_cast<QWidget*>(BAN_10), static_cast<QWidget*>(BAN_11),
          static_cast<QWidget*>(BAN_12), static_cast<QWidget*>(BAN_13), static_cast<QWidget*>(BAN_14),
          static_cast<QWidget*>(BAN_20), static_cast<QWidget*>(BAN_21), static_cast<QWidget*>(E_CD_1),
          static_cast<QWidget*>(E_CD_2)}) {
        m_onEnter.insert(w, [this] { E_CD_1Enter(); });
        m_onExit.insert(w, [this] { E_CD_1Exit(); });
    }
    m_onExit.insert(BAN_01, [this] { BAN_01Exit(); });
    m_onExit.insert(ED_02_1, [this] { ED_02_1Exit(); });
    m_onKeyPress.insert(E_CD_1, [this](int key) { return E_CD_1KeyPress(key); });
    m_onKeyPress.insert(E_CD_2, [this](int key) { return E_CD_2KeyPress(key); });
    m_onDoubleClick.insert(E_CD_1, [this] { E_CD_1DblClick(); });
    m_onDoubleClick.insert(E_CD_2, [this] { E_CD_2DblClick(); });
    connect(E_CD_1, &QLineEdit::textChanged, this, &TForm1::E_CD_1Change);
    connect(E_CD_2, &QLineEdit::textChanged, this, &TForm1::E_CD_2Change);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(SB03, &QToolButton::clicked, this, &TForm1::SB03Click);
    connect(SB06, &QToolButton::clicked, this, &TForm1::SB06Click);
    connect(SB07, &QToolButton::clicked, this, &TForm1::SB07Click);
    connect(SB08, &QToolButton::clicked, this, &TForm1::SB08Click);
    connect(SB01, &QToolButton::clicked, this, &TForm1::SB01Click);
    connect(SB05, &QToolButton::clicked, this, &TForm1::SB05Click);
    connect(SB09, &QToolButton::clicked, this, &TForm1::SB09Click);
    connect(SB11, &QToolButton::clicked, this, &TForm1::SB11Click);
    connect(SB10, &QToolButton::clicked, this, &TForm1::SB10Click);
    connect(SB12, &QToolButton::clicked, this, &TForm1::SB12Click);
    connect(SBS_04, &QToolButton::clicked, this, &TForm1::SBS_04Click);
    connect(SBS_06, &QToolButton::clicked, this, &TForm1::SBS_06Click);
    connect(SBS_08, &QToolButton::clicked, this, &TForm1::SBS_08Click);
    connect(SBS_09, &QToolButton::clicked, this, &TForm1::SBS_09Click);
    connect(SBS_12, &QToolButton::clicked, this, &TForm1::SBS_12Click);
    buildCodedFields();
}

void TForm1::FormCreate()
{
    ProgramBaseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    MakeDirectoryPath(QStringLiteral("../LOCAL"));
    ComputerName = LocalComputerName().toUpper();
}

int TForm1::panelHeight() const
{
    return int(SB01->height() * 1.1 + ToolBar2->height() * 1.1);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TForm1::FormShow()
{
    resize(int(E_GINKOU_1->height() * 1.3 + E_GINKOU_1->x() + E_GINKOU_1->width()),
           int(E_MAILE->height() * 24.4));
    if (m_firstShowingDone)
        return;
    m_firstShowingDone = true;
    try {
        FirstShowing();
    } catch (...) {
        // The screen stays open without its defaults.
        const ErrorDescription error = DescribeError(std::current_exception());
        m_startupError = error.text;
        ShowErrorBox(error.text, error.details);
    }
}

void TForm1::FirstShowing()
{
    // Fit every form to the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const ScreenFit fit = FitToScreen(area.width(), area.height(), logicalDpiY(), width(), height());
    resize(fit.width, fit.height);
    try {
        ScaleForm(this, fit.percent);
        CentreOnScreen(this);
        for (QWidget* form : QApplication::topLevelWidgets()) {
            if (form == this || qobject_cast<QMenu*>(form))
                continue;
            ScaleForm(form, fit.percent);
            CentreOnScreen(form);
        }
    } catch (...) {
        // A form that cannot be scaled ends the scaling, not the start-up.
    }
    resize(int(E_GINKOU_1->height() * 1.45 + E_GINKOU_1->x() + E_GINKOU_1->width()),
           std::min(int(E_MAILE->height() * 26.4), area.height()));

    SuiteLinkOrThrow();
    OpenDatabases();
    ReadSettings();
    Panel6->setFixedHeight(panelHeight());
    FormResize();

    InstallFocusHandler();
    LastFocused = ED_02_1;
    FocusChain({ED_02_1, ED_01});
    CheckSchema();
    BAN_08->setText(QString::number(DefaultClosingDay));
    BAN_09->setText(QString::number(DefaultPaymentDay));
    InstallFocusHandler();
    FocusChain({BAN_01, ED_01});
}

void TForm1::SuiteLinkOrThrow()
{
    SuiteSettings settings{ProgramFolder, SuiteFolder,     ProgramBaseName, DatabasePassword,
                           ExePath,       NetDatabasePath, NetServer};
    // The settings change step by step, also when a setting file turns out too short.
    auto keep = qScopeGuard([&] {
        ProgramFolder = settings.ProgramFolder;
        SuiteFolder = settings.SuiteFolder;
        ProgramBaseName = settings.ProgramBaseName;
        DatabasePassword = settings.DatabasePassword;
        ExePath = settings.ExePath;
        NetDatabasePath = settings.NetDatabasePath;
        NetServer = settings.NetServer;
    });
    LinkSuiteDatabase(QDir::currentPath(), QCoreApplication::applicationFilePath(), settings,
                      DM2->FDConnection1);
}

void TForm1::SBS_01Click()
{
    try {
        SuiteLinkOrThrow();
    } catch (const SettingFileError&) {
        ShowError(std::current_exception());
    }
}

void TForm1::OpenDatabases()
{
    // The program's own scratch database, created when a normal end removed it.
    const QString path = SuiteFolder + QStringLiteral("/LOCAL/") + ProgramBaseName + QStringLiteral(".FDB");
    auto localParams = [&path](bool create) {
        return QStringList{QStringLiteral("CreateDatabase=") +
                               (create ? QLatin1String("true") : QLatin1String("false")),
                           QStringLiteral("Database=") + path,
                           QStringLiteral("User_Name=sysdba"),
                           QStringLiteral("Password=zorquemit"),
                           QStringLiteral("Protocol=TCPIP"),
                           QStringLiteral("Port=3060"),
                           QStringLiteral("DriverID=FB")};
    };
    db::Connection& local = DM2->FDConnection_L;
    if (!QFile::exists(path)) {
        local.params() = localParams(true);
        local.setConnected(true);
    }
    local.setConnected(false);
    local.params() = localParams(false);
    local.setConnected(true);

    DM2->FDConnection1.setConnected(true);
    setWindowTitle(kTitle);
}

void TForm1::ReadSettings()
{
    ProgramFolder = QDir::currentPath();
    ComputerName = LocalComputerName();

    db::Query& q = DM2->FDQ_VORNALIX;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT NAME FROM LOOK_KIHON where CD=0"));
    q.open();
    CompanyName = q.field(QStringLiteral("NAME")).asString();
    ApplyCompanyName();
    q.close();

    auto day = [&q](int setting, int& target) {
        q.clearSql();
        q.addSql(QStringLiteral("select * from LOOK_KIHON where CD=%1").arg(setting));
        q.open();
        const int value = toIntDef(q.field(QStringLiteral("NAME")).asString());
        if (value > 0)
            target = value;
        q.close();
    };
    day(901, DefaultClosingDay);
    day(902, DefaultPaymentDay);
}

void TForm1::ApplyCompanyName()
{
    if (!suppliertable::ShowsDiscount(CompanyName))
        return;
    for (QWidget* w :
         {static_cast<QWidget*>(ED_14), static_cast<QWidget*>(Label36), static_cast<QWidget*>(Label37)})
        w->show();
    if (Form8)
        Form8->AddDiscountColumn(E_MAILE->width());
}

void TForm1::CheckSchema()
{
    for (const std::exception_ptr& failure : RunSchemaChecks(DM2->FDConnection1, DM2->FDQ_VORNALIX))
        ShowError(failure);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize()
{
    const int w = width();
    const int each = int(w / 12.2);
    Panel6->setGeometry(0, 0, w, Panel6->height());
    for (QWidget* bar : {ToolBar3, ToolBar1, ToolBar2})
        bar->resize(w, bar->height());
    int x = 0;
    for (int i = 0; i < 12; ++i) {
        // The last button takes the rest of its bar.
        const int bw = i < 11 ? each : std::max(each, ToolBar3->width() - x);
        normalBank[i]->setGeometry(x, 0, bw, normalBank[i]->height());
        shiftBank[i]->setGeometry(x, 0, bw, shiftBank[i]->height());
        keyLabels[i]->setGeometry(x, 0, i < 11 ? each : each, ToolBar2->height());
        x += bw;
    }
    if (m_firstShowingDone)
        Panel6->setFixedHeight(panelHeight());
    ToolBar2->move(0, Panel6->height() - ToolBar2->height() - 2);
    Panel1->setGeometry(0, Panel6->height(), w, std::max(0, height() - Panel6->height()));
    ProgressBar1->setGeometry(0, Panel6->height(), w, ProgressBar1->height());
}

// ---------------------------------------------------------------------------
// Keyboard: the form sees every key before the focused control does.

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (const auto handler = m_onDoubleClick.value(qobject_cast<QWidget*>(watched))) {
            handler();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        if (!key->isAutoRepeat())
            FormKeyUp();
        return false;
    }
    if (FormKeyDown(key->key(), key->modifiers()) || FormKeyPress(key->key()))
        return true;
    // Then the field's own handler, as a form that previews keys passes them on.
    if (const auto handler = m_onKeyPress.value(controlOf(target)))
        return handler(key->key());
    return false;
}

bool TForm1::FormKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        const int n = key - Qt::Key_F1;
        if (!ToolBar1->isHidden())
            shiftBank[n]->click();
        else if (!ToolBar3->isHidden())
            normalBank[n]->click();
        return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        Find_jump(key == Qt::Key_Down);
        return true;
    }
    if (key == Qt::Key_Shift) {
        ToolBar1->show();
        ToolBar3->hide();
    }
    return false;
}

void TForm1::FormKeyUp()
{
    ToolBar3->show();
    ToolBar1->hide();
}

bool TForm1::FormKeyPress(int key)
{
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && EnterMovesFocus) {
        Find_jump(true);
        return true;
    }
    return false;
}

QWidget* TForm1::controlOf(QWidget* w) const
{
    return ControlOf(m_tabOrder, this, w);
}

void TForm1::Find_jump(bool forward)
{
    QWidget* next = NextInOrder(m_tabOrder, this, focusWidget(), forward,
                                [this](QWidget* w) { return m_stops.contains(w); });
    if (!next)
        return;
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    focus_move();
}

// ---------------------------------------------------------------------------
// Focus: the box being left is normalised, the box being entered highlighted.

void TForm1::InstallFocusHandler()
{
    connect(qApp, &QApplication::focusChanged, this, &TForm1::focus_move, Qt::UniqueConnection);
}

void TForm1::FocusChain(std::initializer_list<QWidget*> controls)
{
    for (QWidget* w : controls) {
        w->setFocus(Qt::OtherFocusReason);
        focus_move(); // also when the window is not active and Qt stays silent
    }
}

void TForm1::focus_move()
{
    QWidget* active = controlOf(focusWidget());
    if (!active || active == LastFocused)
        return;
    QWidget* left = LastFocused;
    if (IsPlainEdit(left))
        leave(static_cast<QLineEdit*>(left));
    LastFocused = active;
    if (IsPlainEdit(active))
        enter(static_cast<QLineEdit*>(active));
    if (const auto exit = m_onExit.value(left))
        exit();
    if (const auto entered = m_onEnter.value(active))
        entered();
}

void TForm1::leave(QLineEdit* box)
{
    // Before the cuts: pasted in full width, the invoice number would be cut
    // to what fits before it is made half-width.
    if (box == E_INBOICE)
        E_INBOICEExit();
    if (baseColour(box) == kHighlight)
        setBaseColour(box, windowColour());
    box->setText(cutToWidth(box->text(), box->font(), box->width()));
    applyDateRules(box);
    if (box->text().isEmpty())
        return;

    // The box holds as many columns as ruler digits fit in it.
    QString ruler = kRuler;
    const QFontMetrics fm(box->font());
    while (!ruler.isEmpty() && box->width() < fm.horizontalAdvance(ruler))
        ruler.chop(1);
    const int capacity = int(ruler.size());
    box->setText(FitToColumns(box->text(), capacity));
}

void TForm1::enter(QLineEdit* box)
{
    const QColor base = baseColour(box);
    if (base == windowColour() || base == QColor(Qt::white))
        setBaseColour(box, kHighlight);
    box->setText(cutToWidth(box->text(), box->font(), box->width() - 4));
    applyDateRules(box);
    const QString name = box->objectName();
    if (name.contains(QLatin1String("TUKI")) || name.contains(QLatin1String("HI")))
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
}

void TForm1::E_CD_1Enter()
{
    EnterMovesFocus = false;
}

void TForm1::E_CD_1Exit()
{
    EnterMovesFocus = true;
}

void TForm1::KeepOnScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QPoint kept = KeptOnScreen(frameGeometry(), screen->geometry().size());
    if (kept != frameGeometry().topLeft())
        move(kept);
}

// ---------------------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent* event)
{
    KeepOnScreen();
    if (ShowMessageDialog(MessageAskDefaultNo, QStringLiteral("終了しますか？"), this) != 1) {
        event->ignore();
        return;
    }
    CleanUpLocal();
    event->accept();
}

void TForm1::CleanUpLocal()
{
    if (DM2)
        DM2->FDConnection_L.setConnected(false);
    CleanLocalFolder(QStringLiteral("../LOCAL"), ProgramBaseName);
}

void TForm1::EndWithoutAsking()
{
    CleanUpLocal();
    // Not quit(): that would close the window and ask. exit() leaves every
    // event loop, a modal box's included.
    QCoreApplication::exit(0);
}
