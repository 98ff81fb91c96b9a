#pragma once

#include <QListView>

namespace korvanta {

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

private:
    void updateHorizontalBarPolicy();

    int m_extent = 0;
    bool m_updatingPolicy = false;
};

} // namespace korvanta
