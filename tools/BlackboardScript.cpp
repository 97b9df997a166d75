#include "tools/BlackboardScript.h"

#include "tools/TextLines.h"

#include <QLatin1String>
#include <QStringList>

#include <limits>

namespace {

const char *const ScriptHead = "\n"
                               "function Create2DArray(rows,columns) {\n"
                               "  var x = new Array(rows+1);\n"
                               "  for (var i = 0; i <= rows; i++) {\n"
                               "    x[i] = new Array(columns);\n"
                               "  }\n"
                               "  return x;\n"
                               "}\n"
                               "\n"
                               "var p = Create2DArray(npTotal,5);\n"
                               "var pt = new Array(npTotal);\n"
                               "\n";

} // namespace

std::optional<int> ParseDecimalInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(1) << 31)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

std::optional<QString> BlackboardValue(QStringView line)
{
    qsizetype first = 0;
    qsizetype last = line.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (first < last && blank(line.at(first)))
        ++first;
    while (last > first && blank(line.at(last - 1)))
        --last;
    const QStringView number = line.mid(first, last - first);
    const auto digit = [&number](qsizetype i) {
        return i < number.size() && number.at(i) >= QLatin1Char('0') && number.at(i) <= QLatin1Char('9');
    };
    qsizetype i = 0;
    if (i < number.size() && (number.at(i) == QLatin1Char('-') || number.at(i) == QLatin1Char('+')))
        ++i;
    const qsizetype integerStart = i;
    while (digit(i))
        ++i;
    const qsizetype integerEnd = i;
    qsizetype fractionDigits = 0;
    if (i < number.size() && number.at(i) == QLatin1Char('.')) {
        ++i;
        while (digit(i)) {
            ++i;
            ++fractionDigits;
        }
    }
    if (integerEnd == integerStart && fractionDigits == 0)
        return std::nullopt;
    if (i < number.size() && (number.at(i) == QLatin1Char('e') || number.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < number.size() && (number.at(i) == QLatin1Char('-') || number.at(i) == QLatin1Char('+')))
            ++i;
        if (!digit(i))
            return std::nullopt;
        while (digit(i))
            ++i;
    }
    if (i != number.size())
        return std::nullopt;
    // A leading zero makes an octal number of "010", or no number at all in strict code.
    qsizetype zeros = 0;
    while (integerStart + zeros + 1 < integerEnd && number.at(integerStart + zeros) == QLatin1Char('0'))
        ++zeros;
    if (zeros == 0)
        return line.toString();
    return number.left(integerStart).toString() + number.mid(integerStart + zeros).toString();
}

// The six values of each point, each a number JavaScript reads as written; nothing, with
// message saying why, when one is missing or not a number. Lines are named as the editor
// counts them, from 1 (the count is line 1).
std::optional<QStringList> ReadBlackboardValues(TextLines &lines, int points, QString *message)
{
    QStringList values;
    values.reserve(qsizetype(points) * 6);
    for (int n = 1; n <= points; ++n) {
        for (int k = 0; k < 6; ++k) {
            const qsizetype editorLine = qsizetype(n - 1) * 6 + k + 2;
            if (lines.AtEnd()) {
                *message = QStringLiteral("Falten valors: hi ha %1 punts i el punt %2 necessita la línia %3, "
                                           "però el text s'acaba a la línia %4.")
                               .arg(points)
                               .arg(n)
                               .arg(editorLine)
                               .arg(editorLine - 1);
                return std::nullopt;
            }
            const QStringView line = lines.Next();
            std::optional<QString> value = BlackboardValue(line);
            if (!value) {
                *message = QStringLiteral("La línia %1 (valor %2 del punt %3) no és un nombre: «%4».")
                               .arg(editorLine)
                               .arg(k + 1)
                               .arg(n)
                               .arg(line.left(80).toString());
                return std::nullopt;
            }
            values << std::move(*value);
        }
    }
    return values;
}

// The page's script: the count, the drawing code, then each point's values.
void WriteBlackboardScript(QStringView countText, int count, const QStringList &values, qsizetype textSize,
                           const std::function<void(int)> &progress, QString &script)
{
    script.reserve(qMin<qsizetype>(textSize * 3 + 1024, qsizetype(1) << 28));
    script += QLatin1String("var npTotal=");
    // The count goes as typed, unless a leading zero would make JavaScript read it as octal.
    script += BlackboardValue(countText).value_or(QString::number(count));
    script += QLatin1String(";\n");
    script += QLatin1String(ScriptHead);

    static const QLatin1String valuePrefixes[] = {
        QLatin1String("][0]="), QLatin1String("][1]="), QLatin1String("][2]="),
        QLatin1String("][3]="), QLatin1String("][4]="),
    };
    qsizetype next = 0;
    for (int n = 1; n <= count; ++n) {
        if (progress)
            progress(n);
        const QString number = QString::number(n);
        for (const QLatin1String &prefix : valuePrefixes) {
            script += QLatin1String("p[");
            script += number;
            script += prefix;
            script += values.at(next++);
            script += QLatin1String(";\n");
        }
        script += QLatin1String("pt[");
        script += number;
        script += QLatin1String("]=");
        script += values.at(next++);
        script += QLatin1String(";\n");
    }
}

BlackboardScript BuildBlackboardScript(QStringView text,
                                       const std::function<void(int)> &progress)
{
    BlackboardScript result;
    TextLines lines(text);
    const QStringView countText = lines.Next();
    const std::optional<int> count = ParseDecimalInteger(countText);
    if (!count) {
        result.message = QLatin1Char('\'') + countText.toString()
                         + QLatin1String("' is not a valid integer value");
        return result;
    }
    // A negative count would make the page's arrays of that length throw.
    if (*count < 0) {
        result.message = QStringLiteral("Nombre de punts negatiu a la pissarra: %1. El mínim és 0.").arg(*count);
        return result;
    }
    if (*count > MaxBlackboardPoints) {
        result.message = QStringLiteral("Massa punts a la pissarra: %1. El màxim és %2.")
                             .arg(*count)
                             .arg(MaxBlackboardPoints);
        return result;
    }

    // Every value is checked before anything is built: each must be there and be a
    // number, so that the script is always valid JavaScript.
    const std::optional<QStringList> values = ReadBlackboardValues(lines, *count, &result.message);
    if (!values)
        return result;
    WriteBlackboardScript(countText, *count, *values, text.size(), progress, result.script);
    result.built = true;
    return result;
}
