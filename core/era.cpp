#include "core/era.h"

#include <array>

namespace korvanta {

namespace {

    const std::array<JapaneseEra, 5>& eraTable()
    {
        static const std::array<JapaneseEra, 5> eras { {
            { QLatin1Char('M'), QDate(1868, 1, 25) },
            { QLatin1Char('T'), QDate(1912, 7, 30) },
            { QLatin1Char('S'), QDate(1926, 12, 25) },
            { QLatin1Char('H'), QDate(1989, 1, 8) },
            { QLatin1Char('R'), QDate(2019, 5, 1) },
        } };
        return eras;
    }

} // namespace

std::span<const JapaneseEra> japaneseEras()
{
    return eraTable();
}

std::optional<EraYear> japaneseEraOf(const QDate& date)
{
    if (!date.isValid())
        return std::nullopt;
    const auto& eras = eraTable();
    for (auto it = eras.rbegin(); it != eras.rend(); ++it) {
        if (date >= it->firstDay)
            return EraYear { it->initial, date.year() - it->firstDay.year() + 1 };
    }
    return std::nullopt;
}

} // namespace korvanta
