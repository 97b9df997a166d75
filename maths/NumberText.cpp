#include "maths/NumberText.h"

#include <charconv>
#include <cmath>

namespace {

// Fixed notation with six decimals and a point, as printf("%.6f") would write it
// in the C locale.
QString FixedSixDecimals(double x)
{
    // The largest double has 309 integer digits.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x,
                                      std::chars_format::fixed, 6);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

// Drops trailing zeros of the six decimals, and the point when none remains.
QString TrimDecimals(QString text, QChar point)
{
    const qsizetype pointAt = text.lastIndexOf(point);
    if (pointAt < 0)
        return text;
    qsizetype end = text.size();
    while (end > pointAt + 1 && text.at(end - 1) == QLatin1Char('0'))
        --end;
    if (end == pointAt + 1)
        end = pointAt;
    text.truncate(end);
    return text;
}

} // namespace

std::int32_t RoundClamp(double x)
{
    if (std::isnan(x))
        return 0;
    if (x > 2e9)
        return 2000000000;
    if (x < -2e9)
        return -2000000000;
    // The default floating-point environment rounds ties to even.
    return std::int32_t(std::nearbyint(x));
}

QString GeneralFormat(double x)
{
    if (x == 0)
        return QStringLiteral("0");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x,
                                      std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        if (negative || exponent.startsWith(QLatin1Char('+')))
            exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        text = text.left(e) + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString())
            + exponent;
    }
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString FormatResult(double x)
{
    if (x >= 1) {
        QString text = GeneralFormat(x);
        // The trimming works on the mantissa; an exponent is kept as it stands.
        const qsizetype e = text.indexOf(QLatin1Char('E'));
        const QString exponent = e >= 0 ? text.mid(e) : QString();
        QString mantissa = e >= 0 ? text.left(e) : text;
        const qsizetype comma = mantissa.indexOf(QLatin1Char(','));
        if (comma < 0)
            return text;
        if (mantissa.size() - comma - 1 > 6)
            mantissa.truncate(comma + 1 + 6);
        if (!exponent.isEmpty())
            return mantissa + exponent;
        const qsizetype decimals = mantissa.size() - comma - 1;
        auto keep = [&](int count) {
            return count == 0 ? mantissa.left(comma) : mantissa.left(comma + 1 + count);
        };
        if (x > 1000000 && decimals > 0)
            return keep(0);
        if (x > 100000 && decimals > 1)
            return keep(1);
        if (x > 10000 && decimals > 2)
            return keep(2);
        if (x > 1000 && decimals > 3)
            return keep(3);
        if (x > 100 && decimals > 4)
            return keep(4);
        if (x > 10 && decimals > 5)
            return keep(5);
        return mantissa;
    }
    if (x < 0.000000999)
        return GeneralFormat(x);
    if (x <= 0.0001) {
        QString text = FixedSixDecimals(x);
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        return text;
    }
    return GeneralFormat(std::nearbyint(x * 1000000) / 1000000);
}

QString FormatCoefficient(double x)
{
    if (x > 100000)
        x = std::trunc(x);
    if (double(RoundClamp(x)) == x) {
        const QString digits = QString::number(std::abs(RoundClamp(x)));
        return std::signbit(x) ? QLatin1Char('-') + digits : digits;
    }
    if (!std::isfinite(x))
        return std::isnan(x) ? QStringLiteral("NAN") : x > 0 ? QStringLiteral("INF")
                                                            : QStringLiteral("-INF");
    return TrimDecimals(FixedSixDecimals(x), QLatin1Char('.'));
}

QString BracketNegative(double x)
{
    const QString text = FormatCoefficient(x);
    return x < 0 ? QLatin1Char('(') + text + QLatin1Char(')') : text;
}

QString StripBlanks(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            result.append(c);
    return result;
}

QString ToUpperAscii(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return result;
}

QString LeftPart(const QString &text, int count)
{
    return text.left(qMax(count, 0));
}

QString RightPart(const QString &text, int count)
{
    return text.right(qMax(count, 0));
}
