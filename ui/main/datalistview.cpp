#include "ui/main/datalistview.h"

#include "ui/main/listfocus.h"

#include <QFontMetricsF>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvanta {

QItemSelectionModel::SelectionFlags keepingTheSelection(QItemSelectionModel::SelectionFlags flags)
{
    if (flags.testFlag(QItemSelectionModel::Deselect)
        || flags.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return flags;
}

int widestTextWidth(const QFont& font, int count, const std::function<QStringView(int)>& textAt)
{
    const QFontMetricsF metrics(font);
    const QString kana(QChar(0x3042));
    const QString latin(QLatin1Char('a'));
    const qreal kanaWidth = metrics.horizontalAdvance(kana);
    const qreal latinWidth = metrics.horizontalAdvance(latin);
    std::vector<float> advances(0x10000, -1.0f);
    const auto advanceOf = [&](QChar c) {
        float& advance = advances[c.unicode()];
        if (advance < 0) {
            qreal width = metrics.horizontalAdvance(c);
            if (c.script() == QChar::Script_Common || c.script() == QChar::Script_Inherited) {
                width = std::max({ width, metrics.horizontalAdvance(kana + c) - kanaWidth,
                    metrics.horizontalAdvance(latin + c) - latinWidth });
            }
            advance = float(std::max<qreal>(0, width));
        }
        return advance;
    };
    qreal widest = 0;
    for (int i = 0; i < count; ++i) {
        const QStringView text = textAt(i);
        qreal width = 0;
        for (const QChar c : text) {
            if (c.isSurrogate()) {
                width = metrics.horizontalAdvance(text.toString());
                break;
            }
            width += advanceOf(c);
        }
        widest = std::max(widest, width);
    }
    return int(std::ceil(widest));
}

namespace {

    // The rows' size: as the style makes it, widened to the list's row width while an extent is
    // set. The list takes one row's size for all (uniform item sizes), so only that width matters.
    class RowDelegate : public QStyledItemDelegate
    {
    public:
        explicit RowDelegate(DataListView* list)
            : QStyledItemDelegate(list)
            , m_list(list)
        {
        }

        QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
        {
            QSize size = QStyledItemDelegate::sizeHint(option, index);
            size.setWidth(std::max(size.width(), m_list->rowWidth()));
            return size;
        }

    private:
        DataListView* m_list;
    };

} // namespace

DataListView::DataListView(QWidget* parent)
    : QListView(parent)
{
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new RowDelegate(this));
}

void DataListView::setHorizontalExtent(int pixels, int widestText)
{
    const int oldRowWidth = rowWidth();
    m_extent = std::max(0, pixels);
    m_widestText = m_extent > 0 ? std::max(0, widestText) : 0;
    // A row that can be scrolled to shows its whole text; one as wide as the list is cut.
    setTextElideMode(m_extent > 0 ? Qt::ElideNone : Qt::ElideRight);
    updateHorizontalBarPolicy();
    // Rows of a new width are laid out again, from a fresh row size.
    if (rowWidth() != oldRowWidth)
        scheduleDelayedItemsLayout();
    updateGeometries();
}

int DataListView::rowWidth() const
{
    if (m_extent == 0)
        return 0;
    // The style draws a row's text inside the focus frame's margin plus one on either side.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return std::max(m_extent, m_widestText + 2 * margin + 1);
}

// The bar is either always on or always off, so that setting the range never shows or hides it.
// Showing it only makes the rows' area lower (and, with a vertical bar appearing, narrower), so
// the row width stays wider than the area: the decision holds once made.
void DataListView::updateHorizontalBarPolicy()
{
    if (m_updatingPolicy)
        return;
    m_updatingPolicy = true;
    const bool wanted = rowWidth() > viewport()->width();
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
    // The list view sets a range of its own from the rows' width; the row width replaces it.
    QListView::updateGeometries();
    const int range = std::max(0, rowWidth() - viewport()->width());
    bar->setRange(0, range);
    bar->setPageStep(viewport()->width());
    bar->setValue(position);
}

void DataListView::focusInEvent(QFocusEvent* event)
{
    focusInWithoutUnselectedRow(
        this, event, [this](QFocusEvent* e) { QListView::focusInEvent(e); });
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
