#include "ui/main/datalistview.h"

#include <QScrollBar>

namespace korvanta {

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
    setHorizontalScrollBarPolicy(m_extent > 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateGeometries();
}

void DataListView::updateGeometries()
{
    QListView::updateGeometries();
    const int range = m_extent > 0 ? std::max(0, m_extent - viewport()->width()) : 0;
    horizontalScrollBar()->setRange(0, range);
    horizontalScrollBar()->setPageStep(viewport()->width());
}

} // namespace korvanta
