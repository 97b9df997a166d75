#pragma once

#include <QtGlobal>

// The timed loops of the speed report. Their counters and compared values are
// volatile, so every turn really runs whatever the optimiser sees. Times are in
// milliseconds.
namespace BenchmarkLoops {

// A loop counted down from turns to 0 whose turns do no further work.
qint64 TimeCountedLoop(qint64 turns);
// The same loop written as a for statement.
qint64 TimeForLoop(qint64 turns);
// The counted loop with one comparison of left > right per turn.
qint64 TimeComparisonLoop(int left, int right, qint64 turns);
// Copies one block of size bytes, filled with 1, into another, byte by byte.
qint64 TimeMemoryCopy(qint64 size);

} // namespace BenchmarkLoops
