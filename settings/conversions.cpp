#include "settings/conversions.h"

#include <QByteArray>

#include <climits>
#include <cmath>

namespace korvanta {

namespace {

    bool isDigit(QChar c)
    {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }

    bool isBlank(QChar c)
    {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t');
    }

    // Collects the number at the start of `text` as plain ASCII ("-12.5e3"), skipping blanks and
    // tabs anywhere in it. Empty when the text does not start with a number.
    QByteArray leadingNumber(const QString& text)
    {
        QByteArray number;
        qsizetype i = 0;
        const qsizetype size = text.size();
        auto skipBlanks = [&] {
            while (i < size && isBlank(text[i]))
                ++i;
        };

        skipBlanks();
        if (i < size && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            number.append(char(text[i++].unicode()));
        bool hasDigits = false;
        bool hasPoint = false;
        for (skipBlanks(); i < size; skipBlanks()) {
            const QChar c = text[i];
            if (isDigit(c)) {
                hasDigits = true;
            } else if (c == QLatin1Char('.') && !hasPoint) {
                hasPoint = true;
            } else {
                break;
            }
            number.append(char(c.unicode()));
            ++i;
        }
        if (!hasDigits)
            return {};

        // The exponent counts only when digits follow its letter (and optional sign).
        if (i < size && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
            qsizetype j = i + 1;
            QByteArray exponent("e");
            auto skip = [&] {
                while (j < size && isBlank(text[j]))
                    ++j;
            };
            skip();
            if (j < size && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
                exponent.append(char(text[j++].unicode()));
            bool hasExponentDigits = false;
            for (skip(); j < size && isDigit(text[j]); skip()) {
                exponent.append(char(text[j++].unicode()));
                hasExponentDigits = true;
            }
            if (hasExponentDigits)
                number.append(exponent);
        }
        return number;
    }

    QStringView trimBlanks(QStringView text)
    {
        qsizetype begin = 0;
        qsizetype end = text.size();
        while (begin < end && isBlank(text[begin]))
            ++begin;
        while (end > begin && isBlank(text[end - 1]))
            --end;
        return text.sliced(begin, end - begin);
    }

    // The text, apart from blanks and tabs around it, as one number: sign, digits with an optional
    // fraction, optional exponent. nullopt for anything else, and for a number beyond a double.
    std::optional<double> wholeNumber(QStringView text)
    {
        qsizetype i = 0;
        const qsizetype size = text.size();
        auto skipDigits = [&] {
            const qsizetype start = i;
            while (i < size && isDigit(text[i]))
                ++i;
            return i - start;
        };
        auto skipSign = [&] {
            if (i < size && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
                ++i;
        };
        skipSign();
        qsizetype digits = skipDigits();
        if (i < size && text[i] == QLatin1Char('.')) {
            ++i;
            digits += skipDigits();
        }
        if (digits == 0)
            return std::nullopt;
        if (i < size && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
            ++i;
            skipSign();
            if (skipDigits() == 0)
                return std::nullopt;
        }
        if (i != size)
            return std::nullopt;
        bool ok = false;
        const double value = text.toLatin1().toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
        return value;
    }

} // namespace

double NumberFromText(const QString& text)
{
    const QByteArray number = leadingNumber(text);
    if (number.isEmpty())
        return 0;
    bool ok = false;
    const double value = number.toDouble(&ok);
    // A number beyond the range of a double counts as no number rather than as infinity, which
    // no caller could use as a measure or an index.
    if (!ok || !std::isfinite(value))
        return 0;
    return value;
}

int RoundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double rounded = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0))
        rounded = lower + 1;
    return int(rounded);
}

int IntegerFromText(const QString& text)
{
    return RoundHalfEven(NumberFromText(text));
}

std::optional<bool> BooleanFromText(const QString& text)
{
    const QStringView trimmed = trimBlanks(text);
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto number = wholeNumber(trimmed))
        return *number != 0;
    return std::nullopt;
}

QString TextFromBoolean(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString TextFromSingle(double value)
{
    const float single = float(value);
    // Infinity or NaN would be stored as text that reads back as 0; store that 0 directly.
    if (!std::isfinite(single) || single == 0.0f)
        return QStringLiteral("0");
    return QString::number(double(single), 'g', 7);
}

} // namespace korvanta
