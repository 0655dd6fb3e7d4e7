#include "dialogs/Picker.h"

#include <QApplication>
#include <QHeaderView>
#include <QHideEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QWheelEvent>

#include <algorithm>

#include "db/Query.h"
#include "util/Kana.h"

TPicker::TPicker(QWidget* parent) : QDialog(parent) {}

TPicker::~TPicker()
{
    qApp->removeEventFilter(this);
    // The picker's members are gone by now; the list, a child, is not yet.
    if (m_list)
        m_list->setModel(nullptr);
    if (m_forget)
        m_forget();
}

void TPicker::setList(QTableView* list, QWidget* searchBox, bool enterChooses)
{
    m_list = list;
    m_searchBox = searchBox;
    m_enterChooses = enterChooses;
    // The list's mouse is the picker's whether or not it is shown.
    list->viewport()->installEventFilter(this);
}

bool TPicker::listKeyPress(int key)
{
    if (!m_enterChooses || !pickers::IsEnter(key))
        return false;
    listChosen();
    return true;
}

bool TPicker::listKeyDown(int key)
{
    if (!m_searchBox || key != Qt::Key_Up || pickers::CurrentRow(m_list) > 0)
        return false;
    m_searchBox->setFocus();
    return true;
}

void TPicker::reject()
{
    done(ResultCancel);
}

bool TPicker::previewKey(QWidget*, int)
{
    return false;
}

void TPicker::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Every key of the window, before its controls, while it is up.
    qApp->installEventFilter(this);
    // Centred on the owner's window as the user sees it, frames included.
    QRect area;
    if (QWidget* owner = parentWidget())
        area = owner->window()->frameGeometry();
    else if (QScreen* screen = this->screen())
        area = screen->availableGeometry();
    if (area.isValid() && centreOnShow()) {
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
    FormShow();
}

void TPicker::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        qApp->removeEventFilter(this);
}

bool TPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && m_list && watched == m_list->viewport()) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        return listWheel(wheel->modifiers(), wheel->angleDelta().y());
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_list || watched != m_list->viewport() || mouse->button() != Qt::LeftButton)
            return false;
        // The press before it has made the row current; a double-click
        // arriving alone picks its row the same way.
        if (const QModelIndex at = m_list->indexAt(mouse->position().toPoint()); at.isValid())
            m_list->setCurrentIndex(at);
        listChosen();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (previewKey(target, key))
        return true;
    if (target == m_list && (listKeyDown(key) || listKeyPress(key)))
        return true;
    // A button with the focus answers Enter, as on the desktop it was designed on.
    if (pickers::IsEnter(key)) {
        if (auto* button = qobject_cast<QPushButton*>(target)) {
            button->click();
            return true;
        }
    }
    return false;
}

namespace pickers {

QPushButton* Button(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap icon)
{
    auto* b = icon == QStyle::SP_CustomBase
                  ? new QPushButton(text, parent)
                  : new QPushButton(parent->style()->standardIcon(icon), text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

void SetUpGrid(QTableView* grid, db::QueryModel& model, const QList<db::QueryModel::Column>& columns)
{
    model.setColumns(columns);
    grid->setModel(&model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab leaves the list instead of walking its cells.
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].width > 0)
            grid->setColumnWidth(i, columns[i].width);

    db::Query& query = model.query();
    // The query moved (opened on its first row, or stepped by a caller).
    QObject::connect(&query, &db::Query::currentChanged, grid, [grid, &model](int row) {
        if (row < 0 || row >= model.rowCount() || grid->currentIndex().row() == row)
            return;
        grid->setCurrentIndex(model.index(row, std::max(0, grid->currentIndex().column())));
    });
    // The user moved in the grid.
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [&query](const QModelIndex& current) {
                         if (current.isValid() && query.isOpen() && query.recNo() - 1 != current.row())
                             query.moveTo(current.row());
                     });
}

int CurrentRow(const QTableView* grid)
{
    const QModelIndex current = grid->currentIndex();
    return current.isValid() ? current.row() : -1;
}

QFont PickerFont()
{
    QFont font(QStringLiteral("ＭＳ 明朝"));
    font.setPixelSize(19);
    return font;
}

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString ReadingLike(const QString& column)
{
    // 8191 characters fit any character set.
    return column + QStringLiteral(" LIKE CAST(:NAME AS VARCHAR(8191))");
}

QString Containing(const QString& text)
{
    return QLatin1Char('%') + NormaliseReading(text) + QLatin1Char('%');
}

void Reopen(db::Query& query, const QStringList& sql, const QVariantMap& params)
{
    query.close();
    query.setSql(sql);
    query.setParams(params);
    query.open();
}

} // namespace pickers
