#pragma once

#include <QAccessible>
#include <QLineEdit>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

// The text questions a screen reader asks of a field, answered within a time limit.

namespace accessible_text {

// Ends the test run when a question to the accessibility layer has not been answered in
// time: a query that never returns fails the test instead of holding the suite.
class AnswerDeadline
{
public:
    explicit AnswerDeadline(std::chrono::seconds limit) : m_limit(limit), m_thread([this] { Watch(); }) {}
    ~AnswerDeadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    // Names the question being asked; the limit counts from here.
    void Asking(const QByteArray &question)
    {
        std::lock_guard lock(m_mutex);
        m_question = question;
        m_since = std::chrono::steady_clock::now();
    }

private:
    void Watch()
    {
        std::unique_lock lock(m_mutex);
        while (!m_done) {
            if (std::chrono::steady_clock::now() - m_since > m_limit) {
                std::fprintf(stderr, "FAIL! no answer within %llds to %s\n", static_cast<long long>(m_limit.count()),
                             m_question.constData());
                std::fflush(stderr);
                std::_Exit(1);
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(200));
        }
    }

    const std::chrono::seconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    QByteArray m_question = "nothing";
    std::chrono::steady_clock::time_point m_since = std::chrono::steady_clock::now();
    std::thread m_thread;
};

// Asks a field what a screen reader asks on every move of the caret, at every offset and
// just outside the text, and returns what is wrong with the answers.
inline QStringList TextQueryProblems(QLineEdit *edit, AnswerDeadline &deadline)
{
    QStringList problems;
    const QString where = edit->objectName().isEmpty() ? QString::fromLatin1(edit->metaObject()->className())
                                                       : edit->objectName();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(edit);
    QAccessibleTextInterface *text = iface ? iface->textInterface() : nullptr;
    if (!text)
        return {where + QStringLiteral(" has no text interface")};
    const QString shown = edit->text();
    const int size = int(shown.size());
    if (text->characterCount() != size)
        problems << where + QStringLiteral(" counts %1 characters of %2").arg(text->characterCount()).arg(size);
    using Query = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int *, int *) const;
    const std::pair<const char *, Query> queries[] = {{"textAtOffset", &QAccessibleTextInterface::textAtOffset},
                                                      {"textBeforeOffset", &QAccessibleTextInterface::textBeforeOffset},
                                                      {"textAfterOffset", &QAccessibleTextInterface::textAfterOffset}};
    for (auto boundary : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                          QAccessible::ParagraphBoundary, QAccessible::LineBoundary, QAccessible::NoBoundary}) {
        for (const auto &[queryName, query] : queries) {
            QString joined; // the pieces at each piece's end, from the start: the whole text
            int next = 0;
            for (int offset = -1; offset <= size + 1; ++offset) {
                deadline.Asking(QStringLiteral("%1(%2, %3) on %4 \"%5\"")
                                    .arg(queryName).arg(offset).arg(int(boundary)).arg(where, shown).toUtf8());
                int start = -2;
                int end = -2;
                const QString piece = (text->*query)(offset, boundary, &start, &end);
                const QString context = QStringLiteral("%1(%2, %3) on %4").arg(queryName).arg(offset).arg(int(boundary)).arg(where);
                if (offset < 0 || offset > size) {
                    if (start != -1 || end != -1 || !piece.isEmpty())
                        problems << context + QStringLiteral(" answers outside the text");
                    continue;
                }
                if (start < 0 || start > end || end > size || piece != shown.mid(start, end - start))
                    problems << context + QStringLiteral(" gives \"%1\" as %2..%3").arg(piece).arg(start).arg(end);
                if (query == &QAccessibleTextInterface::textAtOffset) {
                    if (offset < size && (start > offset || end <= offset))
                        problems << context + QStringLiteral(" misses the offset: %1..%2").arg(start).arg(end);
                    if (offset == next && offset < size) {
                        joined += piece;
                        next = end;
                    }
                }
            }
            if (query == &QAccessibleTextInterface::textAtOffset && joined != shown)
                problems << where + QStringLiteral(" pieces of kind %1 give \"%2\"").arg(int(boundary)).arg(joined);
        }
    }
    // The word a reader asks for at the end, after End, is the last one.
    int start = 0;
    int end = 0;
    if (size > 0 && text->textAtOffset(size, QAccessible::WordBoundary, &start, &end).trimmed().isEmpty())
        problems << where + QStringLiteral(" has no word at its end");
    for (int offset = 0; offset <= size; ++offset) {
        text->attributes(offset, &start, &end);
        if (start != 0 || end != size)
            problems << where + QStringLiteral(" has an attribute run %1..%2 at %3").arg(start).arg(end).arg(offset);
    }
    return problems;
}

} // namespace accessible_text
