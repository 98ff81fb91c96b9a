#include "ui/main/datamodels.h"

#include "core/dataset.h"
#include "core/displaytext.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>

namespace korvanta {

DataListModel::DataListModel(const DataSet& data, const std::vector<int>& rows, QObject* parent)
    : QAbstractListModel(parent)
    , m_data(data)
    , m_rows(rows)
{
}

void DataListModel::reset(int displayItem)
{
    beginResetModel();
    m_displayItem = displayItem;
    m_empty = false;
    endResetModel();
}

void DataListModel::clear()
{
    if (m_empty)
        return;
    beginResetModel();
    m_empty = true;
    endResetModel();
}

int DataListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_empty ? 0 : int(m_rows.size());
}

QVariant DataListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    // Items can be megabytes long; a row shows only their beginning.
    return cutForDisplay(m_data.item(m_displayItem, m_rows[size_t(index.row())]));
}

AllItemsModel::AllItemsModel(
    const DataSet& data, const std::vector<int>& rows, const int& searchItem, QObject* parent)
    : QAbstractTableModel(parent)
    , m_data(data)
    , m_rows(rows)
    , m_searchItem(searchItem)
{
}

void AllItemsModel::setHeaders(const QStringList& names)
{
    beginResetModel();
    m_headers = names;
    m_empty = true;
    endResetModel();
}

void AllItemsModel::clearColumns()
{
    setHeaders(QStringList());
}

void AllItemsModel::reset()
{
    beginResetModel();
    m_empty = false;
    endResetModel();
}

void AllItemsModel::clearRows()
{
    if (m_empty)
        return;
    beginResetModel();
    m_empty = true;
    endResetModel();
}

void AllItemsModel::searchItemChanged()
{
    if (!m_headers.isEmpty())
        emit headerDataChanged(Qt::Horizontal, 0, int(m_headers.size()) - 1);
}

int AllItemsModel::recordAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)] : 0;
}

void AllItemsModel::beginReorder()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_movingIndexes = persistentIndexList();
    m_movingRecords.clear();
    m_movingRecords.reserve(size_t(m_movingIndexes.size()));
    for (const QModelIndex& index : m_movingIndexes)
        m_movingRecords.push_back(recordAt(index.row()));
}

void AllItemsModel::endReorder()
{
    // Where each record stands now; records are unique within the map.
    const int shown = rowCount();
    int maxRecord = 0;
    for (int i = 0; i < shown; ++i)
        maxRecord = std::max(maxRecord, m_rows[size_t(i)]);
    std::vector<int> newRowOf(size_t(maxRecord) + 1, -1);
    for (int i = 0; i < shown; ++i)
        newRowOf[size_t(m_rows[size_t(i)])] = i;
    QModelIndexList after;
    after.reserve(m_movingIndexes.size());
    for (qsizetype i = 0; i < m_movingIndexes.size(); ++i) {
        const int record = m_movingRecords[size_t(i)];
        const int row = record > 0 && record <= maxRecord ? newRowOf[size_t(record)] : -1;
        after.append(row >= 0 ? createIndex(row, m_movingIndexes[i].column()) : QModelIndex());
    }
    changePersistentIndexList(m_movingIndexes, after);
    m_movingIndexes.clear();
    m_movingRecords.clear();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int AllItemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_empty ? 0 : int(m_rows.size());
}

int AllItemsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant AllItemsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    return cutForDisplay(m_data.item(index.column() + 1, m_rows[size_t(index.row())]));
}

QVariant AllItemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0
        || section >= m_headers.size())
        return QVariant();
    // The item searched alone is marked before its name; the sort arrow keeps its own place.
    if (section == m_searchItem - 1)
        return QStringLiteral("◎") + m_headers.at(section);
    return m_headers.at(section);
}

void CellDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const auto isLineBreak = [](QChar c) {
        return c == u'\n' || c == u'\r' || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator;
    };
    if (opt.text.isEmpty() || opt.features != QStyleOptionViewItem::HasDisplay
        || opt.textElideMode != Qt::ElideRight
        || std::any_of(opt.text.cbegin(), opt.text.cend(), isLineBreak)) {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }

    // The text as the style places it: inside the cell by the focus frame's margin plus one.
    const QString text = opt.text;
    opt.text.clear();
    opt.features &= ~QStyleOptionViewItem::HasDisplay;
    // A cell that is neither selected, focused nor under the pointer and has no background of
    // its own has nothing for the style to draw but its text.
    const QStyle::State marked
        = QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver;
    if ((opt.state & marked) || opt.backgroundBrush.style() != Qt::NoBrush)
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    if (textRect.width() <= 0)
        return;

    QPalette::ColorGroup group
        = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(
        group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    const QString cut = elided(text, opt.font, opt.fontMetrics, textRect.width());
    if (opt.displayAlignment == (Qt::AlignLeft | Qt::AlignVCenter)) {
        // A cut text seen before keeps its laid-out glyphs and is not shaped again; they are made
        // for the resolution of the device painted on.
        const int dpi = painter->device() ? painter->device()->logicalDpiY() : 0;
        if (dpi != m_layoutDpi) {
            m_layouts.clear();
            m_layoutDpi = dpi;
        }
        auto it = m_layouts.find(cut);
        if (it == m_layouts.end()) {
            auto layout = std::make_shared<QTextLayout>(cut, painter->font(), painter->device());
            QTextOption option(Qt::AlignLeft | Qt::AlignVCenter);
            option.setWrapMode(QTextOption::ManualWrap);
            option.setTextDirection(painter->layoutDirection());
            layout->setTextOption(option);
            layout->setCacheEnabled(true);
            layout->beginLayout();
            QTextLine line = layout->createLine();
            line.setLineWidth(0x01000000);
            line.setPosition(QPointF(0, 0));
            layout->endLayout();
            it = m_layouts.insert(cut, layout);
        }
        const QTextLayout& layout = **it;
        const qreal height = layout.lineAt(0).height();
        layout.draw(
            painter, QPointF(textRect.x(), textRect.y() + (textRect.height() - height) / 2));
    } else {
        painter->drawText(textRect, int(opt.displayAlignment) | Qt::TextSingleLine, cut);
    }
    painter->restore();
}

QString CellDelegate::elided(
    const QString& text, const QFont& font, const QFontMetrics& fm, int width) const
{
    if (m_elidedFont != font || m_elided.size() > 20000) {
        m_elided.clear();
        m_layouts.clear();
        m_elidedFont = font;
    }
    QString key = text;
    key += QChar(0);
    key += QString::number(width);
    const auto it = m_elided.constFind(key);
    if (it != m_elided.constEnd())
        return *it;
    const QString cut = fm.elidedText(text, Qt::ElideRight, width);
    m_elided.insert(key, cut);
    return cut;
}

} // namespace korvanta
