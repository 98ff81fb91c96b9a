#pragma once

#include <QListView>
#include <QStringView>
#include <QTreeView>

#include <functional>

namespace korvanta {

// The data lists keep their one selected row, as the list boxes the program was designed on do:
// Ctrl with a click or with Space on the selected row does not deselect it, so a Ctrl+click is a
// click. `flags` as the view chose them; a deselection or toggle becomes no change.
QItemSelectionModel::SelectionFlags keepingTheSelection(QItemSelectionModel::SelectionFlags flags);

// How wide, in pixels, the widest of `count` texts (`textAt(0)` to `textAt(count - 1)`) is at
// most when drawn in `font`, quick enough for tens of thousands of texts. Each text is taken as
// the sum of its characters' advances, each character measured once: a character whose script is
// its neighbours' (punctuation, symbols, digits) by the widest of its advances alone, after a
// kana and after a Latin letter, since its neighbours choose its font. Kerning only draws
// characters together, so the sum is not narrower than the text as drawn; it may be wider by a
// fifth where such characters abound. A text with characters outside the basic plane is
// measured whole.
int widestTextWidth(const QFont& font, int count, const std::function<QStringView(int)>& textAt);

// The single-item data list List1. Like the list boxes the program was designed on, it shows no
// horizontal scroll bar unless a horizontal extent (in pixels) is set; with one, rows are drawn
// whole (never cut with "…"), as wide as the extent or as the widest row if that is wider, and
// the rows can be scrolled sideways to their end; the bar shows while that width is wider than
// the rows' area. Without one, rows are as wide as the list and a longer text is cut with "…".
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
    // `widestText`: the width in pixels of the widest text a row may show in the list's font,
    // so that the rows and the scroll range take it in whole. Ignored without an extent.
    void setHorizontalExtent(int pixels, int widestText = 0);
    // The width of every row while an extent is set (the scrollable width); 0 without one.
    int rowWidth() const;

protected:
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;

private:
    void updateHorizontalBarPolicy();

    int m_extent = 0;
    int m_widestText = 0;
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
