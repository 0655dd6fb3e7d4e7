#include "dialogs/MESSAGE_FROM.h"

#include <QFont>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>

int MessageDialogMode = MessageNotice;
int MessageDialogAnswer = 0;
TMASSAGE_FORM* MASSAGE_FORM = nullptr;

namespace {

// Design geometry; FormShow derives everything else from it at each showing,
// so a form scaled at start-up lays itself out at its new size.
constexpr int DesignFontPixels = 19;
constexpr int ButtonWidth = 120;
constexpr int ButtonHeight = 36;
constexpr int LabelLeft = 36;
constexpr int LabelTop = 28;

// Whole pixels: the layout's fractions are cut, not rounded.
int px(double value)
{
    return static_cast<int>(value);
}

// A button whose accelerator (Alt+Y) presses it at once. A plain QPushButton
// animates the press and clicks only 100 ms later, which a fast typist (or a
// test) would overtake.
class BitBtn : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::Shortcut) {
            click();
            return true;
        }
        return QPushButton::event(event);
    }
};

} // namespace

TMASSAGE_FORM::TMASSAGE_FORM(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MASSAGE_FORM"));
    setWindowTitle(QStringLiteral("確認"));
    // Topmost for good: window flags cannot change while the window is shown.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    QFont font(QStringLiteral("ＭＳ 明朝"));
    font.setPixelSize(DesignFontPixels);
    setFont(font);

    LABEL = new QLabel(QStringLiteral("登録しました。"), this);
    LABEL->setObjectName(QStringLiteral("LABEL"));
    // Messages carry supplier names, which may hold "<" or "&".
    LABEL->setTextFormat(Qt::PlainText);
    LABEL->move(LabelLeft, LabelTop);
    LABEL->adjustSize();

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, ButtonWidth * 5 / 2, ButtonHeight);
    Memo1->hide();

    BitBtn1 = new BitBtn(QStringLiteral("ＯＫ"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setGeometry(ButtonHeight, LabelTop + 2 * ButtonHeight, ButtonWidth, ButtonHeight);

    BitBtn2 = new BitBtn(QStringLiteral("いいえ &N"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    BitBtn2->setGeometry(ButtonWidth + 2 * ButtonHeight, LabelTop + 2 * ButtonHeight, ButtonWidth,
                         ButtonHeight);

    connect(BitBtn1, &QPushButton::clicked, this, [this]() {
        BitBtn1Click();
        done(ResultYes);
    });
    connect(BitBtn2, &QPushButton::clicked, this, [this]() {
        BitBtn2Click();
        done(ResultNo);
    });
}

TMASSAGE_FORM::~TMASSAGE_FORM()
{
    if (MASSAGE_FORM == this)
        MASSAGE_FORM = nullptr;
}

void TMASSAGE_FORM::centreOn(QWidget* widget)
{
    m_centreOn = widget;
}

void TMASSAGE_FORM::FormShow()
{
    // Topmost: the window carries Qt::WindowStaysOnTopHint since construction.
    MessageDialogAnswer = 0;

    LABEL->adjustSize();
    const double h = BitBtn1->height();

    // The hidden memo only lends its width to the layout.
    Memo1->resize(std::max(px(LABEL->x() + LABEL->width() + h / 2.5), px(BitBtn1->width() * 2.5)),
                  Memo1->height());
    Memo1->clear();
    Memo1->setPlainText(LABEL->text());

    const int buttonTop = px(LABEL->y() + LABEL->height() + h);
    BitBtn1->move(px(h), buttonTop);
    BitBtn2->move(px(BitBtn1->x() + BitBtn1->width() + h), buttonTop);

    int width = std::max(px(BitBtn2->x() + BitBtn2->width() + 2 * h), px(Memo1->width() + 1.2 * h));
    const int height = px(BitBtn1->y() + 3 * h);
    if (width < LABEL->width())
        width = px(LABEL->width() + 2 * h);
    setFixedSize(width, height);

    if (MessageDialogMode == MessageAskDefaultNo || MessageDialogMode == MessageAskDefaultYes) {
        const bool yesIsDefault = MessageDialogMode == MessageAskDefaultYes;
        BitBtn1->setText(QStringLiteral("はい &Y"));
        BitBtn2->setText(QStringLiteral("いいえ &N"));
        BitBtn2->show();
        BitBtn1->setDefault(yesIsDefault);
        BitBtn2->setDefault(!yesIsDefault);
        const double gap = 0.1 * BitBtn2->width();
        BitBtn1->move(px(width / 2.0 - BitBtn2->width() - gap), buttonTop);
        BitBtn2->move(px(width / 2.0 + gap), buttonTop);
        (yesIsDefault ? BitBtn1 : BitBtn2)->setFocus();
    } else {
        BitBtn2->hide();
        BitBtn1->setText(QStringLiteral("ＯＫ"));
        BitBtn1->setDefault(true);
        BitBtn1->move(px(width / 2.0 - BitBtn1->width() / 2.0), buttonTop);
        BitBtn1->setFocus();
    }
}

void TMASSAGE_FORM::BitBtn1Click()
{
    MessageDialogAnswer = 1;
}

void TMASSAGE_FORM::BitBtn2Click()
{
    MessageDialogAnswer = 0;
}

void TMASSAGE_FORM::FormClose()
{
    MessageDialogMode = MessageNotice;
    m_centreOn = nullptr;
}

void TMASSAGE_FORM::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TMASSAGE_FORM::reject()
{
    done(ResultNo);
}

void TMASSAGE_FORM::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    placeCentred();
}

void TMASSAGE_FORM::placeCentred()
{
    // After the layout, so that the new size is the one centred. Windows are
    // centred by their frames, as the user sees them.
    QRect area;
    if (m_centreOn && m_centreOn->isWindow())
        area = m_centreOn->frameGeometry();
    else if (m_centreOn)
        area = QRect(m_centreOn->mapToGlobal(QPoint(0, 0)), m_centreOn->size());
    else if (QScreen* s = screen())
        area = s->availableGeometry();
    else
        return;
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void TMASSAGE_FORM::keyPressEvent(QKeyEvent* event)
{
    // Y and N answer without Alt as well while a button has the focus, as they
    // do in any dialog whose controls take no typing.
    if (event->modifiers() == Qt::NoModifier) {
        const QKeySequence withAlt(QKeyCombination(Qt::AltModifier, Qt::Key(event->key())));
        for (QPushButton* button : {BitBtn1, BitBtn2}) {
            if (button->isVisible() && button->isEnabled() &&
                QKeySequence::mnemonic(button->text()) == withAlt) {
                button->click();
                return;
            }
        }
    }
    QDialog::keyPressEvent(event);
}
