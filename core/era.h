#pragma once

#include <QChar>
#include <QDate>

#include <optional>
#include <span>

namespace korvanta {

// One era of the Japanese calendar: the initial used in dates ("H15") and its first day in the
// Gregorian calendar.
struct JapaneseEra
{
    QChar initial;
    QDate firstDay;
};

// The eras from Meiji on, oldest first: M 1868-01-25, T 1912-07-30, S 1926-12-25, H 1989-01-08,
// R 2019-05-01.
//
// Meiji starts on 1868-01-25, the first day of the lunar year that the Meiji era was declared to
// cover (the decree of 1868-10-23 renamed the whole of Keiō 4 to Meiji 1). With that first day
// every date of 1868 that belongs to the era is year 1; dates before it have no era here.
std::span<const JapaneseEra> japaneseEras();

// A date's era and its year within the era (the first calendar year of an era is year 1).
struct EraYear
{
    QChar initial;
    int year = 0;
};

// The era of `date`; nullopt for an invalid date or one before the first day of Meiji.
std::optional<EraYear> japaneseEraOf(const QDate& date);

} // namespace korvanta
