#pragma once

#include <QListView>
#include <QTreeView>

namespace korvanta {

// The data lists keep their one selected row, as the list boxes the program was designed on do:
// Ctrl with a click or with Space on the selected row does not deselect it, so a Ctrl+click is a
// click. `flags` as the view chose them; a deselection or toggle becomes no change.
QItemSelectionModel::SelectionFlags keepingTheSelection(QItemSelectionModel::SelectionFlags flags);

// The single-item data list List1. Like the list boxes the program was designed on, it shows no
// horizontal scroll bar unless a horizontal extent (in pixels) is set; with one, the rows can be
// scrolled sideways up to that width, and the bar shows while the extent is wider than the rows'
// area.
//
// Whether the bar shows is decided only when the extent or the list's size changes, never while
// the scroll range is being set: a bar that appeared and disappeared with the range would resize
// the rows' area, which sets the range again, without end.
class DataListView : public QListView
{
    Q_OBJECT

public:
    explicit DataListView(QWidget* parent = nullptr);

    int horizontalExtent() const { return m_extent; }
    void setHorizontalExtent(int pixels);

protected:
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;

private:
    void updateHorizontalBarPolicy();

    int m_extent = 0;
    bool m_updatingPolicy = false;
};

// The all-items view ListView1: a report list that keeps its one selected row like List1.
class AllItemsView : public QTreeView
{
    Q_OBJECT

public:
    using QTreeView::QTreeView;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;
};

} // namespace korvanta
