#include "tolvanet-tool/SpellVerb.h"

#include "core/SettingsStore.h"
#include "core/ToolCommandLine.h"
#include "core/documents/DocumentConversion.h"
#include "spell/LanguageCheckers.h"
#include "spell/LanguageDetector.h"
#include "spell/PersonalWordList.h"
#include "spell/SpellChecker.h"
#include "spell/SpellWords.h"

#include <QCommandLineParser>
#include <QLocale>

#include <QHash>

#include <cstdio>

namespace
{
void Write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}
} // namespace

QString DefaultLanguage()
{
    const QString name = QLocale::system().name();
    return name.isEmpty() || name == QLatin1String("C") || name.startsWith(QLatin1String("C_"))
        ? QStringLiteral("ca") : name;
}

std::optional<int> ParseLanguageAndFile(ToolVerbLine line, const QString &languages, const QStringList &arguments,
                                        QString *language, QString *file, bool *languageGiven)
{
    line.options << QCommandLineOption(QStringLiteral("language"),
                                       QStringLiteral("The %1 (%2); the session's by default, Catalan without one.")
                                           .arg(languages.section(u':', 0, 0), languages.section(u':', 1)),
                                       QStringLiteral("LANG"));
    line.positionalName = QStringLiteral("FILE");
    line.positionalHelp = QStringLiteral("the document");
    QCommandLineParser parser;
    if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        Write(stderr, QStringLiteral("tolvanet-tool %1: one FILE is needed\nTry 'tolvanet-tool %1 --help'.\n").arg(line.verb));
        return kBadUsageStatus;
    }
    const bool given = parser.isSet(QStringLiteral("language"));
    if (languageGiven)
        *languageGiven = given;
    *language = given ? parser.value(QStringLiteral("language")) : DefaultLanguage();
    *file = files.first();
    return std::nullopt;
}

int RunSpellVerb(const QStringList &arguments, const AppPaths &paths)
{
    ToolVerbLine line;
    line.verb = QStringLiteral("spell");
    line.description = QStringLiteral("Lists every misspelled word of a document as \"line:column word -> suggestions\". "
                                      "Exit status 0 when there is none, 1 when there are some.");
    line.description += QStringLiteral(" Without --language, when the editor changes voice with the language, each "
                                       "paragraph is checked in its own language.");
    QString language;
    QString file;
    bool languageGiven = false;
    if (const std::optional<int> status
        = ParseLanguageAndFile(line, QStringLiteral("dictionary's language:ca, es, eu, gl, pt, en, fr"), arguments,
                               &language, &file, &languageGiven))
        return *status;
    SpellChecker checker(language);
    if (!checker.Usable()) {
        Write(stderr, QStringLiteral("tolvanet-tool spell: %1\n").arg(checker.Problem()));
        return kBadUsageStatus;
    }
    PersonalWordList personal(PersonalWordList::BesideSettings(paths.settingsFile));
    personal.Load();
    if (!personal.Problem().isEmpty())
        Write(stderr, QStringLiteral("tolvanet-tool spell: %1\n").arg(personal.Problem()));
    checker.Accept(personal.Words());

    QString error;
    const QString text = ReadAnyDocumentText(file, &error);
    if (!error.isEmpty()) {
        Write(stderr, QStringLiteral("tolvanet-tool spell: %1\n").arg(error));
        return kBadUsageStatus;
    }
    // With the voice following the language, each paragraph is checked in its own language
    // (unless a language was asked for).
    const bool byParagraph = !languageGiven
        && SettingsStore(paths.settingsFile).ReadYes(QStringLiteral("LlibreriaLlegir"), QStringLiteral("CANVI DE LLENGUA"), false);
    QHash<int, QString> lineLanguages;
    if (byParagraph) {
        const LanguageDetector detector;
        int line = 0;
        int counted = 0;
        for (const LanguageRun &paragraph : ParagraphLanguages(text, detector)) {
            line += int(QStringView(text).mid(counted, paragraph.start - counted).count(u'\n'));
            counted = paragraph.start;
            lineLanguages.insert(line, paragraph.language);
        }
    }
    LanguageCheckers others;
    others.Reset(personal.Words());
    int misspelled = 0;
    const QStringList lines = text.split(u'\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString &lineText = lines.at(number);
        const SpellChecker &lineChecker = others.For(lineLanguages.value(int(number)), checker);
        QString out;
        for (const WordSpan &span : WordsToCheck(lineText)) {
            const QStringView word = QStringView(lineText).mid(span.start, span.length);
            if (lineChecker.IsCorrect(word))
                continue;
            ++misspelled;
            out += QStringLiteral("%1:%2 %3 -> %4\n")
                       .arg(number + 1)
                       .arg(span.start + 1)
                       .arg(word)
                       .arg(lineChecker.Suggestions(word).join(QStringLiteral(", ")));
        }
        if (!out.isEmpty())
            Write(stdout, out);
    }
    return misspelled > 0 ? 1 : 0;
}
