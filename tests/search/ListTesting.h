#pragma once

// What the screen tests of the search list and the list table share.

#include <QHeaderView>

#include "dialogs/Picker.h"
#include "tests/support/ScreenTesting.h"

namespace testing {

// Clicks the title of the grid's column; returns the codes then listed.
inline QList<int> clickTitle(QTableView* grid, int column)
{
    QHeaderView* titles = grid->horizontalHeader();
    const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
    return listed(grid);
}

// Shows the list with body as the clerk in it, closing it as cancelled if body
// did not; others answer the dialogs body brings up, what they said goes to said.
inline int inList(TPicker& list, const std::function<void()>& body, const QList<Responder>& others = {},
                  QStringList* said = nullptr)
{
    return showWith(
        list,
        [&] {
            body();
            if (list.isVisible())
                list.done(TPicker::ResultCancel);
        },
        others, said);
}

} // namespace testing
