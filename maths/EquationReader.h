#pragma once

#include <QString>

#include <array>
#include <optional>

class ExpressionEvaluator;

// One typed equation: a coefficient per variable x, y, z, u, v and the constant.
struct EquationRow
{
    std::array<double, 5> coefficients{};
    double constant = 0;
};

// Reads a line as a sum of coefficient-times-variable terms, the variables in the
// order x, y, z, u, v, each at most once, equal to one number; nothing otherwise.
std::optional<EquationRow> ReadEquation(ExpressionEvaluator &evaluator, const QString &line);
