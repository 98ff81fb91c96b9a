#pragma once

#include <QLabel>

namespace korvanta {

// The status label Label1: one line of plain text that ends in "…" where it does not fit, with
// the text in its tool tip. text() is the caption as set, so code that reads the label sees what
// was written. Long data reaches it already cut (cutForDisplay), so laying it out stays quick.
class StatusLabel : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLabel(QWidget* parent = nullptr);

    // Hide QLabel's versions so the tool tip always follows the caption.
    void setText(const QString& caption);
    void clear();

    // Asks a screen reader to read the caption out now (a copy), where Qt can ask for that; the
    // change of the caption reaches it as a change of the label's name in any case.
    void announce();

    // The line as painted at the label's present width.
    QString shownLine() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace korvanta
