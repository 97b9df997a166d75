#include "spell/LanguageCheckers.h"

void LanguageCheckers::Reset(const QStringList &accepted)
{
    m_others.clear();
    m_accepted = accepted;
}

const SpellChecker &LanguageCheckers::For(const QString &language, const SpellChecker &main)
{
    if (language.isEmpty() || main.DictionaryName().startsWith(language))
        return main;
    std::unique_ptr<SpellChecker> &other = m_others[language];
    if (!other) {
        other = std::make_unique<SpellChecker>(language);
        other->Accept(m_accepted);
    }
    return other->Usable() ? *other : main;
}

void LanguageCheckers::Accept(const QStringList &words)
{
    m_accepted += words;
    for (auto &[language, checker] : m_others)
        checker->Accept(words);
}
