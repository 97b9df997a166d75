#include "app/benchmark/BenchmarkLoops.h"

#include <QElapsedTimer>

#include <memory>

namespace BenchmarkLoops {

qint64 TimeCountedLoop(qint64 turns)
{
    QElapsedTimer timer;
    timer.start();
    volatile qint64 counter = turns;
    while (counter > 0)
        counter = counter - 1;
    return timer.elapsed();
}

qint64 TimeForLoop(qint64 turns)
{
    QElapsedTimer timer;
    timer.start();
    for (volatile qint64 i = turns; i > 0;)
        i = i - 1;
    return timer.elapsed();
}

qint64 TimeComparisonLoop(int left, int right, qint64 turns)
{
    volatile int a = left;
    volatile int b = right;
    volatile bool greater = false;
    QElapsedTimer timer;
    timer.start();
    for (volatile qint64 i = turns; i > 0;) {
        greater = a > b;
        i = i - 1;
    }
    Q_UNUSED(greater);
    return timer.elapsed();
}

qint64 TimeMemoryCopy(qint64 size)
{
    if (size <= 0)
        return 0;
    const auto data1 = std::make_unique<unsigned char[]>(size_t(size));
    const auto data2 = std::make_unique<unsigned char[]>(size_t(size));
    for (qint64 i = 0; i < size; ++i)
        data1[i] = 1;
    // Through volatile pointers the copy stays one byte at a time.
    volatile const unsigned char *from = data1.get();
    volatile unsigned char *to = data2.get();
    QElapsedTimer timer;
    timer.start();
    for (qint64 i = 0; i < size; ++i)
        to[i] = from[i];
    return timer.elapsed();
}

} // namespace BenchmarkLoops
