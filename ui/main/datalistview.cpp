#include "ui/main/datalistview.h"

#include <QScrollBar>

namespace korvanta {

QItemSelectionModel::SelectionFlags keepingTheSelection(QItemSelectionModel::SelectionFlags flags)
{
    if (flags.testFlag(QItemSelectionModel::Deselect)
        || flags.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return flags;
}

DataListView::DataListView(QWidget* parent)
    : QListView(parent)
{
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void DataListView::setHorizontalExtent(int pixels)
{
    m_extent = std::max(0, pixels);
    updateHorizontalBarPolicy();
    updateGeometries();
}

// The bar is either always on or always off, so that setting the range never shows or hides it.
// Showing it only makes the rows' area lower (and, with a vertical bar appearing, narrower), so
// the extent stays wider than the area: the decision holds once made.
void DataListView::updateHorizontalBarPolicy()
{
    if (m_updatingPolicy)
        return;
    m_updatingPolicy = true;
    const bool wanted = m_extent > viewport()->width();
    setHorizontalScrollBarPolicy(wanted ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_updatingPolicy = false;
}

void DataListView::resizeEvent(QResizeEvent* event)
{
    QListView::resizeEvent(event);
    updateHorizontalBarPolicy();
}

void DataListView::updateGeometries()
{
    QScrollBar* bar = horizontalScrollBar();
    const int position = bar->value();
    // The list view sets a range of its own from the rows' width; the extent replaces it.
    QListView::updateGeometries();
    const int range = m_extent > 0 ? std::max(0, m_extent - viewport()->width()) : 0;
    bar->setRange(0, range);
    bar->setPageStep(viewport()->width());
    bar->setValue(position);
}

QItemSelectionModel::SelectionFlags DataListView::selectionCommand(
    const QModelIndex& index, const QEvent* event) const
{
    return keepingTheSelection(QListView::selectionCommand(index, event));
}

QItemSelectionModel::SelectionFlags AllItemsView::selectionCommand(
    const QModelIndex& index, const QEvent* event) const
{
    return keepingTheSelection(QTreeView::selectionCommand(index, event));
}

} // namespace korvanta
