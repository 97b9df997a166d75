#include "tools/BlackboardScript.h"

#include <QLatin1String>

#include <limits>

namespace {

// Reads lines in order; past the last it gives empty lines.
class LineReader
{
public:
    explicit LineReader(QStringView text) : m_text(text) {}

    QStringView Next()
    {
        if (m_position >= m_text.size())
            return {};
        qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_position);
        if (end < 0)
            end = m_text.size();
        const QStringView line = m_text.mid(m_position, end - m_position);
        m_position = end + 1;
        return line;
    }

private:
    QStringView m_text;
    qsizetype m_position = 0;
};

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

BlackboardScript BuildBlackboardScript(QStringView text,
                                       const std::function<void(int)> &progress)
{
    BlackboardScript result;
    LineReader lines(text);
    const QStringView countText = lines.Next();
    const std::optional<int> count = ParseDecimalInteger(countText);
    if (!count) {
        result.message = QLatin1Char('\'') + countText.toString()
                         + QLatin1String("' is not a valid integer value");
        return result;
    }
    if (*count > MaxBlackboardPoints) {
        result.message = QStringLiteral("Massa punts a la pissarra: %1. El màxim és %2.")
                             .arg(*count)
                             .arg(MaxBlackboardPoints);
        return result;
    }

    QString &script = result.script;
    // Each point takes about three times the room of its value lines.
    script.reserve(qMin<qsizetype>(text.size() * 3 + 1024, qsizetype(1) << 28));
    script += QLatin1String("var npTotal=");
    script += countText;
    script += QLatin1String(";\n");
    script += QLatin1String(ScriptHead);

    static const QLatin1String valuePrefixes[] = {
        QLatin1String("][0]="), QLatin1String("][1]="), QLatin1String("][2]="),
        QLatin1String("][3]="), QLatin1String("][4]="),
    };
    for (int n = 1; n <= *count; ++n) {
        if (progress)
            progress(n);
        const QString number = QString::number(n);
        for (const QLatin1String &prefix : valuePrefixes) {
            script += QLatin1String("p[");
            script += number;
            script += prefix;
            script += lines.Next();
            script += QLatin1String(";\n");
        }
        script += QLatin1String("pt[");
        script += number;
        script += QLatin1String("]=");
        script += lines.Next();
        script += QLatin1String(";\n");
    }
    result.built = true;
    return result;
}
