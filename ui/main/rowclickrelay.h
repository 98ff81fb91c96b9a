#pragma once

#include <QObject>

class QAbstractItemView;

namespace korvanta {

// Turns the ways a person chooses a row of a list into one "row clicked" notice each, as the list
// controls this program was designed on do: a left click on a row (also on the row already
// selected) and a move of the selection by keyboard. A selection made by code through select()
// raises nothing here; the caller runs its handler itself. A right-button press does not move
// the selection: the right button opens a popup for the row already selected.
class RowClickRelay : public QObject
{
    Q_OBJECT

public:
    explicit RowClickRelay(QAbstractItemView* view);

    // Selects `row` (or nothing for -1) without raising rowClicked.
    void select(int row);
    int selectedRow() const;

signals:
    void rowClicked(int row);
    void mouseReleased(int button, int shift);
    void doubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onSelectionChanged(int row);
    void connectSelectionModel();

    QAbstractItemView* m_view;
    bool m_byCode = false;
    bool m_pressing = false;
    bool m_pressChangedRow = false;
};

} // namespace korvanta
