#pragma once

#include <QString>
#include <QStringView>

namespace korvanta {

// One line of a data file in the program's one-separator form: every double quote switches the
// inside-quotes state and is dropped, a comma outside quotes becomes a TAB, every other character
// (TAB included) is kept. A doubled quote therefore vanishes and an item never holds a quote.
QString CsvLineToTab(QStringView line);

} // namespace korvanta
