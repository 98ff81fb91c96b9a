#include "ui/main/folderlistbox.h"

#include "core/folderlisting.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace korvanta {

namespace {

    constexpr int PathRole = Qt::UserRole;
    constexpr int DepthRole = Qt::UserRole + 1;

    // Draws each line shifted right by its depth, so that the chain reads as a path from the root.
    class IndentingDelegate : public QStyledItemDelegate
    {
    public:
        using QStyledItemDelegate::QStyledItemDelegate;

        void paint(QPainter* painter, const QStyleOptionViewItem& option,
            const QModelIndex& index) const override
        {
            QStyleOptionViewItem shifted(option);
            shifted.rect.setLeft(option.rect.left() + indentation(option, index));
            QStyledItemDelegate::paint(painter, shifted, index);
        }

        QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
        {
            QSize size = QStyledItemDelegate::sizeHint(option, index);
            size.rwidth() += indentation(option, index);
            return size;
        }

    private:
        static int indentation(const QStyleOptionViewItem& option, const QModelIndex& index)
        {
            const int step = option.fontMetrics.averageCharWidth() * 2;
            return index.data(DepthRole).toInt() * step;
        }
    };

} // namespace

FolderListBox::FolderListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setItemDelegate(new IndentingDelegate(this));
    // Until a folder is set, the box shows the folder the program was started in.
    setPath(QDir::currentPath());
}

bool FolderListBox::setPath(const QString& folder)
{
    const QString path = normalizedFolder(folder);
    if (path.isEmpty() || !canListFolder(path))
        return false;
    const QList<FolderEntry> entries = folderEntries(path);
    if (entries.isEmpty())
        return false;

    m_path = path;
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon, nullptr, this);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon, nullptr, this);
    QListWidgetItem* current = nullptr;
    for (const FolderEntry& entry : entries) {
        // The chain down to the shown folder is drawn open; its sub-folders come after it.
        const bool inChain = !current;
        auto* item = new QListWidgetItem(inChain ? openIcon : closedIcon, entry.label, this);
        item->setData(PathRole, entry.path);
        item->setData(DepthRole, entry.depth);
        item->setToolTip(entry.path);
        if (entry.isCurrent)
            current = item;
    }
    setCurrentItem(current);
    scrollToItem(current);
    return true;
}

QString FolderListBox::pathAt(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(PathRole).toString() : QString();
}

void FolderListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        event->accept();
        emit folderActivated(currentItem()->data(PathRole).toString());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FolderListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QListWidgetItem* entry = itemAt(event->position().toPoint());
    const QString target = entry ? entry->data(PathRole).toString() : QString();
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && !target.isEmpty())
        emit folderActivated(target);
}

} // namespace korvanta
