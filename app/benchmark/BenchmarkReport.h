#pragma once

#include <QStringList>

// The loop counts of the speed report.
struct BenchmarkCounts
{
    qint64 calculationTurns = 1'000'000'000;
    // Turns of the short counter loop, and bytes of the memory test.
    qint64 memoryTurns = 1'048'576;

    // iterations > 0 replaces the calculation count; the memory count is scaled alike.
    static BenchmarkCounts ForIterations(qint64 iterations);
};

// Runs every timed loop and gives the report, one line per entry; each result line
// is its label, one tab and the time in milliseconds.
QStringList RunBenchmarkReport(const BenchmarkCounts &counts);
