#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <mutex>

class SpellChecker;

// Tells which of the interface's seven languages a text is written in. Character
// statistics (libexttextcat's fingerprints, the ones LibreOffice uses) narrow the
// candidates; the Hunspell dictionaries then say whose words the text uses, which
// is what tells Galician from Portuguese and Spanish, or Catalan from Spanish, on
// ordinary paragraphs where the letters alone are close.
class LanguageDetector
{
public:
    // The languages told apart, as voices name them.
    static const QStringList &Languages();
    // Fewer words than this are too few to tell: the text keeps the language around it.
    static constexpr int kFewestWords = 8;

    LanguageDetector();
    ~LanguageDetector();
    LanguageDetector(const LanguageDetector &) = delete;
    LanguageDetector &operator=(const LanguageDetector &) = delete;

    // False when neither the fingerprints nor any dictionary could be read; Problem() says why.
    bool Usable() const;
    const QString &Problem() const { return m_problem; }

    // The language of the text, or empty when it cannot tell (too few words, no words
    // of any of the seven). Only the start of a long text is looked at.
    QString Detect(QStringView text) const;

private:
    QList<int> TextcatCandidates(QStringView text) const;
    // Which dictionaries know the word, a bit per language.
    quint8 Knowing(QStringView word) const;

    void *m_textcat = nullptr;
    std::vector<std::unique_ptr<SpellChecker>> m_dictionaries;
    QString m_problem;
    // What the dictionaries said of each word asked: a paragraph and its sentences ask the same words.
    mutable QHash<QString, quint8> m_knowing;
    // libexttextcat's handle and the dictionaries' caches are not to be shared by two threads at once.
    mutable std::mutex m_lock;
};

// A stretch of a text and its language (empty when it cannot be told).
struct LanguageRun
{
    int start = 0;
    int length = 0;
    QString language;
    friend bool operator==(const LanguageRun &, const LanguageRun &) = default;
};

// The language of each paragraph (a line) that has words, in order. A paragraph of fewer
// than kFewestWords words keeps the language of the paragraph before it (of the one
// after it at the start); all of them are empty when no paragraph is long enough.
QList<LanguageRun> ParagraphLanguages(QStringView text, const LanguageDetector &detector);

// The text cut where its language changes: each paragraph's, and a sentence of at least
// kFewestWords words inside a paragraph that differs from it. Runs cover the whole text,
// in order, neighbours of one language joined; blanks between paragraphs belong to the
// run before them.
QList<LanguageRun> LanguageRuns(QStringView text, const LanguageDetector &detector);

// The number of words in the text, as a dictionary counts them.
int WordCount(QStringView text);
