#pragma once

#include <QString>
#include <QStringList>

// Systems of up to five linear equations in x, y, z, u and v, typed one per line,
// solved by elimination that keeps whole numbers whole and explained in Catalan.

// The solver's answer; the numbers are the ones of its refusal messages.
enum SystemCode {
    SystemSolved = 0,
    NoEquation = 1101,
    NotAnEquation = 1120,
    AllCoefficientsZero = 1121,
    // The combinations made the coefficients too large to hold.
    CoefficientsTooLarge = 1122,
};

struct SystemSolution
{
    SystemCode code = SystemSolved;
    // The lines to insert, each preceded by a line break; meaningful with SystemSolved.
    QString stepText;
};

// Most equations a system may hold; later lines are never read.
constexpr int MaxEquations = 5;
// Longest text of steps; room for a 5x5 system with large coefficients. The final
// answer is written whatever the length.
constexpr int StepTextLimit = 65536;

// Solves the equations of lines (equation 1 first) and writes the answer, with every
// elimination step when showSteps is on.
SystemSolution SolveSystem(const QStringList &lines, bool showSteps,
                           int stepTextLimit = StepTextLimit);

// True when the line alone is a system the solver can answer.
bool IsEquationLine(const QString &line);

// The message box text of a refusal; empty for a code without one.
QString SystemMessage(SystemCode code);
