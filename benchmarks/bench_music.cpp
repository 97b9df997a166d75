// Times the music and blackboard converters on a 10 MB document against one
// QString::replace pass over the same text.
#include "core/Command.h"
#include "tests/fakes/ScriptedQuestions.h"
#include "tools/BlackboardScript.h"
#include "tools/MusicCommands.h"
#include "tools/MusicConverter.h"

#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace {

constexpr qsizetype DocumentSize = 10 * 1000 * 1000;

QString TuneDocument()
{
    const QStringList body{QStringLiteral("do\tn"),    QStringLiteral("re4\tc."),
                           QStringLiteral("bb"),       QStringLiteral("mi\tc"),
                           QStringLiteral("\tsc"),     QStringLiteral("eb"),
                           QStringLiteral("sol5\tsc"), QStringLiteral("bl"),
                           QStringLiteral("la\tb"),    QStringLiteral("el"),
                           QStringLiteral("la\tn"),    QStringLiteral("compas")};
    QString text = QStringLiteral("Tonada de prova\n3x4\n");
    for (int i = 0; text.size() < DocumentSize; ++i) {
        text += body.at(i % body.size());
        text += QLatin1Char('\n');
    }
    return text + QStringLiteral("si\tr");
}

QString BlackboardDocument()
{
    QString values;
    qint64 lines = 0;
    for (int i = 0; values.size() < DocumentSize; ++i, ++lines) {
        values += QString::number(i % 1280);
        values += QLatin1Char('\n');
    }
    return QString::number(lines / 6) + QLatin1Char('\n') + values;
}

// The best of three runs, in milliseconds.
double BestOfThree(const std::function<qsizetype()> &run, qsizetype &outputSize)
{
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        outputSize = run();
        best = qMin(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void Compare(const char *name, const QString &text, const std::function<qsizetype()> &convert)
{
    qsizetype replaced = 0;
    const double replaceTime = BestOfThree(
        [&text] {
            QString copy = text;
            copy.replace(QLatin1Char('\n'), QLatin1String(";\n"));
            return copy.size();
        },
        replaced);
    qsizetype same = 0;
    const double sameSizeTime = BestOfThree(
        [&text] {
            QString copy = text;
            copy.replace(QLatin1Char('\n'), QLatin1Char(' '));
            return copy.size();
        },
        same);
    qsizetype written = 0;
    const double convertTime = BestOfThree(convert, written);
    std::printf("%s: %.1f M chars in, %.1f M chars out, %.1f ms\n"
                "  replace each break by \";\\n\": %.1f ms, ratio %.2f\n"
                "  replace each break by a blank: %.1f ms, ratio %.2f\n",
                name, text.size() / 1e6, written / 1e6, convertTime, replaceTime,
                convertTime / replaceTime, sameSizeTime, convertTime / sameSizeTime);
}

} // namespace

int main()
{
    const QString tune = TuneDocument();
    Compare("music", tune, [&tune] { return ConvertMusicText(tune).score.size(); });
    // The whole command on the command line's document: read the text, convert, write it back.
    CommandRegistry registry;
    RegisterMusicCommands(registry);
    const Command &command = *registry.Find(QStringLiteral("music-to-musicxml"));
    Compare("\"Passar a Midi XMF\"", tune, [&tune, &command] {
        PlainEditorText editor(tune);
        ScriptedQuestions ask;
        SessionState session;
        CommandHost host;
        CommandContext context{editor, ask, session, host};
        RunCommand(command, context);
        return qsizetype(editor.Length());
    });
    const QString points = BlackboardDocument();
    Compare("blackboard", points, [&points] { return BuildBlackboardScript(points).script.size(); });
    return 0;
}
