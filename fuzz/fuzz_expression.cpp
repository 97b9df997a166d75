// Any text through the calculator's parser and evaluator: a code or a finite value,
// never a crash or a hang.
#include "core/TextEncoding.h"
#include "maths/ExpressionEvaluator.h"
#include "maths/NumberText.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = TextEncoding::DecodeWindows1252(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const ParseMode mode : {ParseMode::Normal, ParseMode::SystemMode}) {
        ExpressionEvaluator evaluator;
        if (evaluator.ParseExpression(text, mode) != Accepted)
            continue;
        if (evaluator.Tokens().size() > MaxTokens)
            std::abort();
        for (const double x : {0.0, -2.5, 1e18}) {
            const Evaluation result = evaluator.EvaluateTokens(x);
            if (result.code == Computed) {
                if (!std::isfinite(result.value) || std::abs(result.value) > 1e19)
                    std::abort();
                FormatResult(result.value);
                FormatCoefficient(result.value);
            }
        }
    }
    return 0;
}
