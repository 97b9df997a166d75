#include "windows/InterfaceLanguages.h"

QStringList LanguageNames()
{
    return {QStringLiteral("CATALÀ"), QStringLiteral("CASTELLANO"), QStringLiteral("EUSKARA"),
            QStringLiteral("GALEGO"), QStringLiteral("PORTUGUÊS"), QStringLiteral("ENGLISH"),
            QStringLiteral("FRANÇAIS")};
}

bool InterfaceLanguageModel::Apply(int language)
{
    if (language < 0 || language >= kLanguageCount)
        return false;
    m_language = language;
    emit languageChanged(language);
    return true;
}
