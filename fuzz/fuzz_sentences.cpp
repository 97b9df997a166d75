// The sentence splitter on any text: every answer is a place in the text, the starts
// come in order, and moving by sentences from any place stays in the text.
#include "core/Sentences.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const int length = int(text.size());
    const QList<int> starts = Sentences::Starts(text);
    for (qsizetype i = 0; i < starts.size(); ++i)
        if (starts[i] < 0 || starts[i] > length || (i > 0 && starts[i] <= starts[i - 1]))
            std::abort();
    for (int position = 0; position <= length; position += 1 + length / 8) {
        const int start = Sentences::StartAt(text, position);
        const int next = Sentences::NextStart(text, position);
        const int previous = Sentences::PreviousStart(text, position);
        const int end = Sentences::EndAt(text, position);
        if (start < 0 || start > position || next < 0 || next > length || previous < 0 || previous > start || end < 0
            || end > length)
            std::abort();
    }
    return 0;
}
