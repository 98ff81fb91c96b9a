#pragma once

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QItemSelectionModel>

namespace korvanta {

// Hands the focus to `view` through `baseFocusIn` (the base class's focusInEvent). A view that
// takes the focus with no current row makes its first row current without selecting it; the
// arrow keys then move on from that row, so the first Down would select the second row and Home
// nothing at all. Where nothing is selected that current row is dropped again: the first arrow
// key, Home or End then selects a row, as in a list box.
template <class BaseFocusIn>
void focusInWithoutUnselectedRow(
    QAbstractItemView* view, QFocusEvent* event, BaseFocusIn baseFocusIn)
{
    QItemSelectionModel* selection = view->selectionModel();
    const bool hadCurrent = selection && selection->currentIndex().isValid();
    baseFocusIn(event);
    if (selection && !hadCurrent && !selection->hasSelection())
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

} // namespace korvanta
