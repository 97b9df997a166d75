#include "spell/SpellChecker.h"

#include "spell/SpellWords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <hunspell/hunspell.hxx>

namespace
{
constexpr qsizetype kLargestCache = 50000;

// "pt-br" and "pt_BR" alike give {"pt", "BR"}.
std::pair<QString, QString> LanguageAndRegion(const QString &language)
{
    const QStringList parts = language.trimmed().split(QRegularExpression(QStringLiteral("[-_.@]")));
    const QString lang = parts.value(0).toLower();
    QString region = parts.value(1).toUpper();
    if (region.size() != 2)
        region.clear();
    return {lang, region};
}

bool Readable(const QString &fileName)
{
    QFile file(fileName);
    return QFileInfo(fileName).isFile() && file.open(QIODevice::ReadOnly) && file.size() > 0;
}
} // namespace

QStringList SpellChecker::DictionaryFolders()
{
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell"),
            QStringLiteral("/usr/share/myspell/dicts")};
}

SpellChecker::SpellChecker(const QString &language, const QStringList &folders)
{
    const auto [lang, region] = LanguageAndRegion(language);
    if (lang.isEmpty() || !lang.front().isLetter()) {
        m_problem = QStringLiteral("La veu no diu de quina llengua és: l'ortografia no es revisa.");
        return;
    }
    QStringList names;
    if (!region.isEmpty())
        names << lang + u'_' + region;
    names << lang << lang + u'_' + lang.toUpper();
    for (const QString &folder : folders) {
        const QStringList found = QDir(folder).entryList({lang + QStringLiteral("_*.aff")}, QDir::Files, QDir::Name);
        for (const QString &aff : found)
            names << aff.chopped(4);
    }
    names.removeDuplicates();
    for (const QString &name : names) {
        for (const QString &folder : folders) {
            const QString base = QDir(folder).filePath(name);
            if (!QFileInfo::exists(base + QStringLiteral(".aff")) && !QFileInfo::exists(base + QStringLiteral(".dic")))
                continue;
            if (Open(base + QStringLiteral(".aff"), base + QStringLiteral(".dic"))) {
                m_name = name;
                m_problem.clear();
                return;
            }
            m_problem = QStringLiteral("El diccionari %1 no es pot llegir: l'ortografia no es revisa.")
                            .arg(QDir::toNativeSeparators(base + QStringLiteral(".dic")));
        }
    }
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("No hi ha diccionari de la llengua «%1»: l'ortografia no es revisa.")
                        .arg(lang);
}

SpellChecker::~SpellChecker() = default;

bool SpellChecker::Open(const QString &aff, const QString &dic)
{
    if (!Readable(aff) || !Readable(dic))
        return false;
    auto hunspell = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
    // The words cross as UTF-8; a dictionary in another encoding is not used.
    const std::string encoding = hunspell->get_dict_encoding();
    if (QByteArray::fromStdString(encoding).toUpper() != "UTF-8")
        return false;
    m_hunspell = std::move(hunspell);
    return true;
}

bool SpellChecker::Known(const QString &word) const
{
    if (m_accepted.contains(word))
        return true;
    if (const auto known = m_known.constFind(word); known != m_known.constEnd())
        return *known;
    if (m_known.size() >= kLargestCache)
        m_known.clear();
    const bool right = m_hunspell->spell(word.toUtf8().toStdString());
    m_known.insert(word, right);
    return right;
}

bool SpellChecker::IsCorrect(QStringView word) const
{
    if (!m_hunspell || word.isEmpty())
        return true;
    const QString form = DictionaryForm(word);
    if (Known(form))
        return true;
    // A word that starts a sentence or stands in capitals is right when it is right in lower case.
    const QString lower = form.toLower();
    if (lower != form && m_accepted.contains(lower))
        return true;
    if (!form.contains(u'-'))
        return false;
    const QStringList parts = form.split(u'-', Qt::SkipEmptyParts);
    for (const QString &part : parts)
        if (!Known(part) && !m_accepted.contains(part.toLower()))
            return false;
    return !parts.isEmpty();
}

QStringList SpellChecker::Suggestions(QStringView word, int most) const
{
    QStringList list;
    if (!m_hunspell || word.isEmpty())
        return list;
    for (const std::string &suggestion : m_hunspell->suggest(DictionaryForm(word).toUtf8().toStdString())) {
        if (list.size() >= most)
            break;
        list << QString::fromStdString(suggestion);
    }
    return list;
}

void SpellChecker::Accept(const QStringList &words)
{
    for (const QString &word : words)
        m_accepted.insert(DictionaryForm(word));
}
