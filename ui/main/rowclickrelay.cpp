#include "ui/main/rowclickrelay.h"

#include "ui/common/vbmouse.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMouseEvent>

namespace korvanta {

RowClickRelay::RowClickRelay(QAbstractItemView* view)
    : QObject(view)
    , m_view(view)
{
    view->viewport()->installEventFilter(this);
    connectSelectionModel();
}

void RowClickRelay::connectSelectionModel()
{
    if (QItemSelectionModel* selection = m_view->selectionModel()) {
        // The selection, not the current row: a click moves the current row before it selects.
        connect(selection, &QItemSelectionModel::selectionChanged, this,
            [this] { onSelectionChanged(selectedRow()); });
    }
}

void RowClickRelay::select(int row)
{
    QItemSelectionModel* selection = m_view->selectionModel();
    if (!selection || !m_view->model())
        return;
    m_byCode = true;
    if (row < 0 || row >= m_view->model()->rowCount()) {
        selection->clear();
    } else {
        const QModelIndex index = m_view->model()->index(row, 0);
        selection->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(index);
    }
    m_byCode = false;
}

int RowClickRelay::selectedRow() const
{
    const QItemSelectionModel* selection = m_view->selectionModel();
    if (!selection)
        return -1;
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void RowClickRelay::onSelectionChanged(int row)
{
    if (m_byCode || row < 0)
        return;
    if (m_pressing)
        m_pressChangedRow = true;
    emit rowClicked(row);
}

bool RowClickRelay::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        // The right button and a press below the last row leave the selection as it is.
        if (me->button() == Qt::RightButton || !m_view->indexAt(me->position().toPoint()).isValid())
            return true;
        m_pressing = true;
        m_pressChangedRow = false;
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        const bool wasPressing = m_pressing;
        m_pressing = false;
        if (wasPressing && !m_pressChangedRow && me->button() == Qt::LeftButton) {
            const QModelIndex at = m_view->indexAt(me->position().toPoint());
            if (at.isValid() && at.row() == selectedRow())
                emit rowClicked(at.row());
        }
        emit mouseReleased(vbButton(me->button()), vbShift(me->modifiers()));
        break;
    }
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton)
            emit doubleClicked();
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace korvanta
