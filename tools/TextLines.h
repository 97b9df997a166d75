#pragma once

#include <QStringView>

#include <utility>

// Walks the lines of a text as the editor counts them: a break at the very end does not
// start another line, and an empty text has none. Past the last line it gives empty lines.
class TextLines
{
public:
    explicit TextLines(QStringView text) : m_rest(text) {}

    bool AtEnd() const { return m_rest.isEmpty(); }

    QStringView Next()
    {
        const qsizetype end = m_rest.indexOf(u'\n');
        if (end < 0)
            return std::exchange(m_rest, QStringView());
        const QStringView line = m_rest.left(end);
        m_rest = m_rest.sliced(end + 1);
        return line;
    }

private:
    QStringView m_rest;
};
