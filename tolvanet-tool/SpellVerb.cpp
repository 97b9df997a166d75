#include "tolvanet-tool/SpellVerb.h"

#include "core/ToolCommandLine.h"
#include "core/documents/DocumentConversion.h"
#include "spell/PersonalWordList.h"
#include "spell/SpellChecker.h"
#include "spell/SpellWords.h"

#include <QCommandLineParser>
#include <QLocale>

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
                                        QString *language, QString *file)
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
    *language = parser.isSet(QStringLiteral("language")) ? parser.value(QStringLiteral("language")) : DefaultLanguage();
    *file = files.first();
    return std::nullopt;
}

int RunSpellVerb(const QStringList &arguments, const AppPaths &paths)
{
    ToolVerbLine line;
    line.verb = QStringLiteral("spell");
    line.description = QStringLiteral("Lists every misspelled word of a document as \"line:column word -> suggestions\". "
                                      "Exit status 0 when there is none, 1 when there are some.");
    QString language;
    QString file;
    if (const std::optional<int> status = ParseLanguageAndFile(
            line, QStringLiteral("dictionary's language:ca, es, eu, gl, pt, en, fr"), arguments, &language, &file))
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
    int misspelled = 0;
    const QStringList lines = text.split(u'\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString &lineText = lines.at(number);
        QString out;
        for (const WordSpan &span : WordsToCheck(lineText)) {
            const QStringView word = QStringView(lineText).mid(span.start, span.length);
            if (checker.IsCorrect(word))
                continue;
            ++misspelled;
            out += QStringLiteral("%1:%2 %3 -> %4\n")
                       .arg(number + 1)
                       .arg(span.start + 1)
                       .arg(word)
                       .arg(checker.Suggestions(word).join(QStringLiteral(", ")));
        }
        if (!out.isEmpty())
            Write(stdout, out);
    }
    return misspelled > 0 ? 1 : 0;
}
