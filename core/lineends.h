#pragma once

#include <QtGlobal>

#include <algorithm>

namespace korvanta {

// How a data file ends its lines. A file that holds at least one CR LF ends its lines with
// CR LF, and a lone LF in it is an ordinary character of its item (spreadsheets write the line
// breaks inside quoted cells that way). A file without any CR LF but with LF ends its lines with
// LF. Either way the text after the last line end is one more line.
enum class LineEnd { CrLf, Lf };

// The line end of a whole file's text, as bytes of an ASCII-compatible encoding (CR and LF are
// never part of a multi-byte character there) or as UTF-16 code units.
template <typename Unit> LineEnd lineEndOf(const Unit* begin, const Unit* end)
{
    bool anyLf = false;
    for (const Unit* p = std::find(begin, end, Unit('\n')); p != end;
        p = std::find(p + 1, end, Unit('\n'))) {
        if (p != begin && p[-1] == Unit('\r'))
            return LineEnd::CrLf;
        anyLf = true;
    }
    return anyLf ? LineEnd::Lf : LineEnd::CrLf;
}

// The length of line 1 as the item names are read from it: up to its first CR, and in a file
// that ends its lines with LF also up to its first LF.
template <typename Unit>
qsizetype firstLineLength(const Unit* begin, const Unit* end, LineEnd lineEnd)
{
    const Unit* cut = std::find(begin, end, Unit('\r'));
    if (lineEnd == LineEnd::Lf)
        cut = std::min(cut, std::find(begin, end, Unit('\n')));
    return cut - begin;
}

} // namespace korvanta
