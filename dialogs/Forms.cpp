#include "dialogs/Forms.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

int scaled(int value, int percent)
{
    return value * percent / 100;
}

void scaleFont(QWidget* w, int percent)
{
    if (!w->testAttribute(Qt::WA_SetFont))
        return;
    QFont f = w->font();
    if (f.pixelSize() > 0)
        f.setPixelSize(std::max(1, scaled(f.pixelSize(), percent)));
    else
        f.setPointSizeF(f.pointSizeF() * percent / 100.0);
    w->setFont(f);
}

// A control draws its own inside (a combo box's editor and arrow, a grid's
// viewport): it is scaled as a whole, never its parts.
bool isContainer(const QWidget* w)
{
    return !qobject_cast<const QComboBox*>(w) && !qobject_cast<const QAbstractSpinBox*>(w) &&
           !qobject_cast<const QAbstractScrollArea*>(w) && !qobject_cast<const QLineEdit*>(w) &&
           !qobject_cast<const QAbstractButton*>(w) && !qobject_cast<const QLabel*>(w);
}

void scaleChildren(QWidget* parent, int percent)
{
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow())
            continue;
        // Children in a layout are placed by it; only their fonts change.
        if (!parent->layout()) {
            const QRect g = w->geometry();
            if (w->minimumHeight() > 0 && w->minimumHeight() == w->maximumHeight())
                w->setFixedHeight(scaled(g.height(), percent));
            w->setGeometry(scaled(g.x(), percent), scaled(g.y(), percent), scaled(g.width(), percent),
                           scaled(g.height(), percent));
        }
        scaleFont(w, percent);
        if (isContainer(w))
            scaleChildren(w, percent);
    }
}

} // namespace

void ScaleForm(QWidget* form, int percent)
{
    if (percent == 100)
        return;
    scaleFont(form, percent);
    scaleChildren(form, percent);
    form->resize(scaled(form->width(), percent), scaled(form->height(), percent));
}

void CentreOnScreen(QWidget* form)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    form->move(area.x() + (area.width() - form->frameGeometry().width()) / 2,
               area.y() + (area.height() - form->frameGeometry().height()) / 2);
}

void BringToFront(QWidget* form)
{
    form->showNormal();
    form->raise();
    form->activateWindow();
}

QWidget* ControlOf(const QList<QWidget*>& order, const QWidget* form, QWidget* w)
{
    for (QWidget* p = w; p && p != form; p = p->parentWidget())
        if (order.contains(p))
            return p;
    return w;
}

QWidget* NextInOrder(const QList<QWidget*>& order, const QWidget* form, QWidget* current, bool forward,
                     const std::function<bool(QWidget*)>& isStop)
{
    const int n = int(order.size());
    int i = int(order.indexOf(ControlOf(order, form, current)));
    if (i < 0)
        i = forward ? -1 : n;
    for (int step = 0; step < n; ++step) {
        i = (i + (forward ? 1 : -1) + n) % n;
        QWidget* w = order[i];
        if (isStop(w) && w->isVisibleTo(form) && w->isEnabled())
            return w;
    }
    return nullptr;
}
