#pragma once

#include <QListView>

namespace korvanta {

// The single-item data list List1. Like the list boxes the program was designed on, it shows no
// horizontal scroll bar unless a horizontal extent (in pixels) is set; with one, the rows can be
// scrolled sideways up to that width.
class DataListView : public QListView
{
    Q_OBJECT

public:
    explicit DataListView(QWidget* parent = nullptr);

    int horizontalExtent() const { return m_extent; }
    void setHorizontalExtent(int pixels);

protected:
    void updateGeometries() override;

private:
    int m_extent = 0;
};

} // namespace korvanta
