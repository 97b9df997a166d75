// Any lines through the equation-system solver, with steps shown and hidden: a
// result code and a text, never a crash, a hang or a written "NAN".
#include "core/TextEncoding.h"
#include "maths/LinearSystem.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = TextEncoding::DecodeWindows1252(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const bool showSteps : {true, false}) {
        const SystemSolution solution = SolveSystem(lines, showSteps);
        if (solution.code == SystemSolved
            && (solution.stepText.contains(QLatin1String("NAN"))
                || solution.stepText.contains(QLatin1String("INF"))))
            std::abort();
        if (solution.code != SystemSolved && SystemMessage(solution.code).isEmpty())
            std::abort();
    }
    IsEquationLine(lines.first());
    return 0;
}
