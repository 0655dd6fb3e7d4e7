#include "dialogs/ZIP_SEL.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "postal/PostalFile.h"
#include "util/CharConv.h"
#include "util/Numbers.h"

QString SelZip;
QString SelKen;
QString SelTiku1;
QString SelTiku2;
TForm_ZIP* Form_ZIP = nullptr;

namespace {

// column LIKE the bound parameter, cast so that a pattern longer than the
// column finds nothing instead of failing (see pickers::ReadingLike).
QString like(const QString& column, const QString& parameter)
{
    return QStringLiteral("%1 LIKE CAST(:%2 AS VARCHAR(8191))").arg(column, parameter);
}

QString containing(const QString& text)
{
    return QLatin1Char('%') + text + QLatin1Char('%');
}

// At most 60 trailing half-width blanks go, as the stored names were padded.
QString trimRight(QString text)
{
    int removed = 0;
    while (removed < 60 && text.endsWith(u' ')) {
        text.chop(1);
        ++removed;
    }
    return text;
}

} // namespace

namespace pickers {

Statement ZipList(const QString& zipText, const QString& address)
{
    Statement list{{QStringLiteral("select * from LOOK_ZIP where ZIP_CD is not null")}, {}};
    if (!zipText.isEmpty()) {
        list.sql << QStringLiteral("and (%1 or %2)")
                        .arg(like(QStringLiteral("ZIP_CD"), QStringLiteral("ZIP")),
                             like(QStringLiteral("TI_MEI"), QStringLiteral("ZIPTEXT")));
        list.params.insert(QStringLiteral("ZIP"), QString(zipText).remove(u'-') + u'%');
        list.params.insert(QStringLiteral("ZIPTEXT"), containing(zipText));
    }
    if (!address.isEmpty()) {
        list.sql << QStringLiteral("and (%1)").arg(like(QStringLiteral("TI_MEI"), QStringLiteral("ADDR")));
        list.params.insert(QStringLiteral("ADDR"), containing(address));
    }
    return list;
}

Statement ZipNarrowing(const QString& zipText, const QString& address)
{
    Statement list{{QStringLiteral("select * from LOOK_ZIP where ZIP_CD is not null")}, {}};
    if (!zipText.isEmpty()) {
        QString zip = QString(zipText).remove(u'-');
        if (toIntDef(zip) == 0)
            zip = QStringLiteral("999999");
        list.sql << QStringLiteral("and (%1 or %2 or %3)")
                        .arg(like(QStringLiteral("ZIP_CD"), QStringLiteral("ZIP")),
                             like(QStringLiteral("TI_MEI"), QStringLiteral("ZIPTEXT")),
                             like(QStringLiteral("TIKU_NAME1"), QStringLiteral("ZIPTEXT")));
        list.params.insert(QStringLiteral("ZIP"), zip + u'%');
        list.params.insert(QStringLiteral("ZIPTEXT"), containing(zipText));
    }
    if (!address.isEmpty()) {
        // The reading is compared in hiragana as designed, and in the
        // half-width katakana the national file stores it in, which the
        // hiragana form alone never matches.
        list.sql << QStringLiteral("and (%1 or %2 or %3 or %4)")
                        .arg(like(QStringLiteral("TI_MEI"), QStringLiteral("ADDR")),
                             like(QStringLiteral("YOMI"), QStringLiteral("KANA")),
                             like(QStringLiteral("YOMI"), QStringLiteral("READING")),
                             like(QStringLiteral("TIKU_NAME1"), QStringLiteral("ADDR")));
        list.params.insert(QStringLiteral("ADDR"), containing(address));
        list.params.insert(QStringLiteral("KANA"), containing(ToHalfWidth(ToHiragana(address))));
        list.params.insert(QStringLiteral("READING"), containing(ToReading(address)));
    }
    return list;
}

} // namespace pickers

TForm_ZIP::TForm_ZIP(db::Connection& suite, QWidget* parent)
    : TPicker(parent), FDQ_1(suite), DataSource1(FDQ_1), m_suite(suite)
{
    setObjectName(QStringLiteral("Form_ZIP"));
    setWindowTitle(QStringLiteral("郵便番号辞書"));
    // The postal file may be imported meanwhile on another workstation or by
    // the command-line job: the list shows the table wholly before or wholly
    // after it, never half of each.
    FDQ_1.setSnapshot(true);
    setFont(pickers::PickerFont());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    Label1 = new QLabel(QStringLiteral("郵便番号"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit2 = new QLineEdit(Panel1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Label2 = new QLabel(QStringLiteral("住所"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    // Place names go into both boxes through the input method.
    for (QLineEdit* e : {Edit2, Edit1})
        e->setAttribute(Qt::WA_InputMethodEnabled, true);
    Edit1->setProperty("imeMode", QStringLiteral("hiragana"));
    Label1->setBuddy(Edit2);
    Label2->setBuddy(Edit1);

    Button1 = pickers::Button(Panel1, "Button1", QStringLiteral("リセット &R"));
    Button2 = pickers::Button(Panel1, "Button2", QStringLiteral("検索絞込"));
    BitBtn3 = pickers::Button(Panel1, "BitBtn3", QStringLiteral("ＯＫ"), QStyle::SP_DialogOkButton);
    BitBtn1 = pickers::Button(Panel1, "BitBtn1", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);
    BitBtn2 = pickers::Button(this, "BitBtn2", QStringLiteral("閉じる"), QStyle::SP_DialogCloseButton);

    SpeedButton1 = new QToolButton(Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("郵便番号データー取込"));
    SpeedButton2 = new QToolButton(Panel1);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("取込方法"));
    // Tool buttons, as on the design: clicked, never tabbed to.
    for (QToolButton* t : {SpeedButton1, SpeedButton2}) {
        t->setAutoRaise(true);
        t->setFocusPolicy(Qt::NoFocus);
    }

    auto* top = new QGridLayout(Panel1);
    top->setContentsMargins(8, 8, 8, 8);
    top->addWidget(Label1, 0, 0);
    top->addWidget(Edit2, 0, 1);
    top->addWidget(Label2, 0, 2);
    top->addWidget(Edit1, 0, 3);
    top->addWidget(Button1, 0, 4);
    top->addWidget(Button2, 0, 5);
    auto* second = new QHBoxLayout;
    second->addWidget(SpeedButton1);
    second->addWidget(SpeedButton2);
    second->addStretch(1);
    second->addWidget(BitBtn3);
    second->addWidget(BitBtn1);
    top->addLayout(second, 1, 0, 1, 6);
    top->setColumnStretch(3, 1);
    Edit2->setMinimumWidth(110);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->hide();

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    const Qt::Alignment centred = Qt::AlignCenter;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    pickers::SetUpGrid(DBGrid1, DataSource1,
                       {
                           {QStringLiteral("ZIP_CD"), QStringLiteral("〒"), 90, centred, {}},
                           {QStringLiteral("KEN_NAME"), QStringLiteral("県名"), 100, centred, {}},
                           {QStringLiteral("TIKU_NAME1"), QStringLiteral("市町村名"), 200, left, {}},
                           {QStringLiteral("TIKU_NAME2"), QStringLiteral("町域名"), 0, left, {}},
                       });

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(8, 4, 8, 8);
    bottom->addStretch(1);
    bottom->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(DBGrid1, 1);
    // Takes the grid's room while the import hides it.
    layout->addStretch(0);
    layout->addLayout(bottom);
    resize(820, 560);

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setNameFilter(QStringLiteral("CSV (*.csv *.CSV)"));
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog, so that it is shown through the modal seam like any other.
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);

    setTabOrder(Edit2, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn1);
    setTabOrder(BitBtn1, DBGrid1);
    setTabOrder(DBGrid1, BitBtn2);

    connect(Button1, &QPushButton::clicked, this, &TForm_ZIP::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm_ZIP::Button2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm_ZIP::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm_ZIP::reject);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm_ZIP::reject);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm_ZIP::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm_ZIP::SpeedButton2Click);
    setList(DBGrid1, Edit1);
    forgetOnDestruction(Form_ZIP);
}

TForm_ZIP::~TForm_ZIP() = default;

bool TForm_ZIP::centreOnShow() const
{
    // Qt centres a dialog nobody moved and leaves the flag clear; closing
    // clears it too, so a set flag is the caller's placement.
    return !testAttribute(Qt::WA_Moved);
}

void TForm_ZIP::FormShow()
{
    postal::AddReadingColumn(m_suite);
    if (!Edit2->text().isEmpty() || !Edit1->text().isEmpty())
        pickers::Reopen(FDQ_1, pickers::ZipList(Edit2->text(), Edit1->text()));
    Edit2->setFocus();
}

void TForm_ZIP::FormClose()
{
    FDQ_1.close();
}

void TForm_ZIP::done(int result)
{
    FormClose();
    // Centred again next time unless the caller places it.
    setAttribute(Qt::WA_Moved, false);
    TPicker::done(result);
}

bool TForm_ZIP::Edit2KeyPress(int key)
{
    if (!pickers::IsEnter(key))
        return false;
    Button2Click();
    Edit1->setFocus();
    return true;
}

bool TForm_ZIP::Edit1KeyPress(int key)
{
    if (!pickers::IsEnter(key) || (Edit2->text().isEmpty() && Edit1->text().isEmpty()))
        return false;
    Button2Click();
    return true;
}

void TForm_ZIP::Button1Click()
{
    Edit1->clear();
    // Every row, those without a code too.
    pickers::Reopen(FDQ_1, {QStringLiteral("select * from LOOK_ZIP")});
}

void TForm_ZIP::Button2Click()
{
    pickers::Reopen(FDQ_1, pickers::ZipNarrowing(Edit2->text(), Edit1->text()));
    const int rows = FDQ_1.recordCount();
    FDQ_1.first();
    if (rows == 1)
        BitBtn3->click();
    else if (rows > 1)
        DBGrid1->setFocus();
}

void TForm_ZIP::BitBtn3Click()
{
    if (FDQ_1.isOpen() && !FDQ_1.isEmpty()) {
        if (const int row = pickers::CurrentRow(DBGrid1); row >= 0)
            FDQ_1.moveTo(row);
        const QString zip = FDQ_1.field(QStringLiteral("ZIP_CD")).asString();
        const QString district = FDQ_1.field(QStringLiteral("TIKU_NAME2")).asString();
        SelZip = zip.left(3) + u'-' + zip.mid(3);
        SelKen = trimRight(FDQ_1.field(QStringLiteral("KEN_NAME")).asString());
        SelTiku1 = trimRight(FDQ_1.field(QStringLiteral("TIKU_NAME1")).asString());
        // A remark such as "以下に掲載がない場合" is no district.
        SelTiku2 = district.contains(QStringLiteral("掲載")) ? QString() : trimRight(district);
    }
    done(ResultOk);
}

void TForm_ZIP::DBGrid1DblClick()
{
    BitBtn3Click();
}

void TForm_ZIP::SpeedButton1Click()
{
    if (modal::exec(*OpenDialog1) != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty())
        return;
    const QString path = OpenDialog1->selectedFiles().constFirst();

    FDQ_1.close();
    DBGrid1->hide();
    m_progressShown = -1;
    ProgressBar1->setRange(0, 0);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    // Nothing else runs until the import is over: lay out and paint now.
    layout()->activate();
    repaint();
    std::exception_ptr failure;
    try {
        postal::ImportPostalFile(m_suite, path,
                                 [this](int done, int total) { showImportProgress(done, total); });
    } catch (const postal::ImportError&) {
        failure = std::current_exception();
    }
    ProgressBar1->hide();
    pickers::Reopen(FDQ_1, {QStringLiteral("select * from LOOK_ZIP")});
    DBGrid1->show();
    layout()->activate();
    if (failure)
        ShowError(
            failure, ErrorBox::Plain,
            QStringLiteral(
                "エラー: 郵便番号データーを取り込めませんでした。\n%1\n郵便番号辞書は取込前のままです。"));
}

void TForm_ZIP::showImportProgress(int done, int total)
{
    if (ProgressBar1->maximum() != total)
        ProgressBar1->setRange(0, total);
    // A repaint per line would cost more than the line itself: the bar moves
    // in steps of a two-hundredth.
    if (done != total && done - m_progressShown < std::max(1, total / 200))
        return;
    m_progressShown = done;
    ProgressBar1->setValue(done);
}

void TForm_ZIP::SpeedButton2Click()
{
    const QString guide = QDir::current().absoluteFilePath(QStringLiteral("YUUBIN.mht"));
    if (QFile::exists(guide))
        QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
}

bool TForm_ZIP::previewKey(QWidget* target, int key)
{
    if (target == Edit2)
        return Edit2KeyPress(key);
    if (target == Edit1)
        return Edit1KeyPress(key);
    return false;
}
