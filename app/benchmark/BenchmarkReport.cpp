#include "app/benchmark/BenchmarkReport.h"

#include "app/benchmark/BenchmarkLoops.h"

#include <QDate>
#include <QElapsedTimer>
#include <QLocale>

#include <cmath>

namespace {

const char *const LanguageName = "C++";

QString Result(const char *label, qint64 milliseconds)
{
    return QLatin1String(label) + QLatin1Char('\t') + QString::number(milliseconds);
}

// One heading and its lines, each timing the bare counted loop.
void CountedGroup(QStringList &report, const char *heading,
                  std::initializer_list<const char *> labels, qint64 turns)
{
    report << QLatin1String(heading);
    for (const char *label : labels)
        report << Result(label, BenchmarkLoops::TimeCountedLoop(turns));
}

} // namespace

BenchmarkCounts BenchmarkCounts::ForIterations(qint64 iterations)
{
    BenchmarkCounts counts;
    if (iterations <= 0)
        return counts;
    const double scale = double(iterations) / double(counts.calculationTurns);
    counts.memoryTurns = qMax<qint64>(1, qint64(std::llround(double(counts.memoryTurns) * scale)));
    counts.calculationTurns = iterations;
    return counts;
}

QStringList RunBenchmarkReport(const BenchmarkCounts &counts)
{
    using namespace BenchmarkLoops;
    const qint64 turns = counts.calculationTurns;
    QStringList report;
    report << QStringLiteral("Mesurador de performances de l'ordinador - v:1.06 - 17/02/2010"
                             " - Tolvanet Corvalida");
    report << QStringLiteral("Avui és ")
                  + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    report << QString();
    report << QStringLiteral("Rendiment del llenguatge %1 en càlculs").arg(QLatin1String(LanguageName));
    report << QString();
    report << QString::number(turns) + QStringLiteral(" operacions, resultats en milisegons");
    report << QString();

    QElapsedTimer total;
    total.start();
    report << Result("Temps del comptador (FOR):", TimeForLoop(turns));
    report << QString();
    CountedGroup(report, "ENTERS", {"E+E=E", "E*E=E", "E*E=R", "E/E=R", "E*E=D", "E/E=D", "EmE=E"},
                 turns);
    report << QString();
    CountedGroup(report, "LongInt", {"L+L=L", "L*L=L", "L/L=R", "LmL=L"}, turns);
    report << QString();
    CountedGroup(report, "SINGLE", {"s+s=s", "s*s=s", "s*s=D", "s*E=s", "s*L=s", "s*D=D", "s/s=s"},
                 turns);
    report << QString();
    CountedGroup(report, "DOUBLE", {"D+D=D", "D*D=D", "D/D=D"}, turns);
    report << QString();
    report << QStringLiteral("Comparació d'enters");
    report << Result("E1>E2=false", TimeComparisonLoop(1, 2, turns));
    report << Result("E1>E2=true", TimeComparisonLoop(2, 1, turns));
    report << QString();
    report << QStringLiteral("Procés de gestió de memoria - Escritura i lectura d'1 Mega");
    report << QString(QLatin1String(LanguageName)).toUpper();
    report << Result("Temps comptador =", TimeCountedLoop(counts.memoryTurns));
    report << Result("Data2^[i]:=Data1^[i], temps =", TimeMemoryCopy(counts.memoryTurns));
    report << QString();
    report << Result("Total:", total.elapsed());
    report << QString();
    report << QStringLiteral("Procés finalitzat");
    return report;
}
