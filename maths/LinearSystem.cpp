#include "maths/LinearSystem.h"

#include "maths/EquationReader.h"
#include "maths/ExpressionEvaluator.h"
#include "maths/NumberText.h"

#include <cmath>
#include <optional>

namespace {

constexpr int Columns = 10;
constexpr int VariableColumns = 5;
constexpr int ConstantColumn = 6;
// Past the last equation, and for an equation without a non-zero coefficient.
constexpr int NoLead = 6;
// A sum whose terms cancelled to below this share of their size is a rounding residue.
constexpr double Residue = 1e-12;

const QString Tab = QStringLiteral("\t");

// The table and the text of one solving; rows and columns are numbered from 1, as
// the step texts number them.
class Solver
{
public:
    Solver(bool showSteps, int stepTextLimit)
        : m_showSteps(showSteps), m_stepTextLimit(stepTextLimit)
    {
        const char *names[] = {"x", "y", "z", "u", "v"};
        for (int c = 1; c <= VariableColumns; ++c)
            m_names[c] = QLatin1String(names[c - 1]);
    }

    void AddEquation(const EquationRow &row)
    {
        ++m_rows;
        for (int c = 1; c <= VariableColumns; ++c)
            m_table[m_rows][c] = row.coefficients[c - 1];
        m_table[m_rows][ConstantColumn] = row.constant;
    }

    SystemSolution Solve();

private:
    double &At(int row, int column) { return m_table[row][column]; }
    bool RowIsZero(int row, int from, int to) const
    {
        for (int c = from; c <= to; ++c)
            if (m_table[row][c] != 0)
                return false;
        return true;
    }

    void RemoveRow(int row);
    // Removes variable column c: the variable columns to its right move left; the
    // constant and the moved-over columns stay where they are.
    void RemoveVariableColumn(int column);
    void SwapRows(int a, int b);
    // Row k becomes k*a + R*q over the given columns; false when a value overflowed.
    bool Combine(int k, int pivotRow, double a, double q, int fromColumn);
    int LeadColumn(int row, int fromColumn) const;

    void AppendLine(const QString &line);
    void WriteStep(const QString &message);
    QString Term(double coefficient, const QString &name) const;
    QString MovedTerms(int row) const;
    QString SystemLine(int row) const;

    bool ForwardElimination(bool &incompatible);
    void MoveFreeVariables();
    bool BackElimination();
    bool Division();
    void WriteAnswer(bool indeterminate);
    void WriteIncompatible(int row);

    double m_table[MaxEquations + 2][Columns + 1] = {};
    QString m_names[Columns + 1];
    int m_rows = 0;                    // O
    int m_variables = VariableColumns; // P
    bool m_showSteps;
    int m_stepTextLimit;
    bool m_forcedOutput = false;
    bool m_stepsDropped = false;
    QString m_text;
};

void Solver::RemoveRow(int row)
{
    for (int r = row; r < m_rows; ++r)
        for (int c = 1; c <= Columns; ++c)
            m_table[r][c] = m_table[r + 1][c];
    for (int c = 1; c <= Columns; ++c)
        m_table[m_rows][c] = 0;
    --m_rows;
}

void Solver::RemoveVariableColumn(int column)
{
    for (int c = column; c < VariableColumns; ++c) {
        for (int r = 1; r <= m_rows; ++r)
            m_table[r][c] = m_table[r][c + 1];
        m_names[c] = m_names[c + 1];
    }
    for (int r = 1; r <= m_rows; ++r)
        m_table[r][VariableColumns] = 0;
    --m_variables;
    for (int c = m_variables + 1; c <= VariableColumns; ++c)
        m_names[c].clear();
}

void Solver::SwapRows(int a, int b)
{
    for (int c = 1; c <= Columns; ++c)
        std::swap(m_table[a][c], m_table[b][c]);
}

bool Solver::Combine(int k, int pivotRow, double a, double q, int fromColumn)
{
    for (int c = fromColumn; c <= Columns; ++c) {
        const double left = m_table[k][c] * a;
        const double right = m_table[pivotRow][c] * q;
        double sum = left + right;
        if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(sum))
            return false;
        if (sum != 0 && std::abs(sum) <= Residue * std::max(std::abs(left), std::abs(right)))
            sum = 0;
        m_table[k][c] = sum;
    }
    return true;
}

int Solver::LeadColumn(int row, int fromColumn) const
{
    if (row > m_rows)
        return NoLead;
    for (int c = fromColumn; c <= m_variables; ++c)
        if (m_table[row][c] != 0)
            return c;
    return NoLead;
}

void Solver::AppendLine(const QString &line)
{
    if (m_forcedOutput) {
        m_text += QLatin1Char('\n') + line;
        return;
    }
    if (!m_showSteps || m_stepsDropped)
        return;
    // Once a step no longer fits, no later step is written, so the text has no gaps.
    if (m_text.size() + 1 + line.size() > m_stepTextLimit) {
        m_stepsDropped = true;
        return;
    }
    m_text += QLatin1Char('\n') + line;
}

void Solver::WriteStep(const QString &message)
{
    AppendLine(QString());
    if (!message.isEmpty()) {
        AppendLine(message);
        AppendLine(QString());
    }
    for (int r = 1; r <= m_rows; ++r)
        AppendLine(SystemLine(r));
    AppendLine(QString());
}

QString Solver::Term(double coefficient, const QString &name) const
{
    QString term = Tab;
    if (coefficient > 0)
        term += QLatin1Char('+');
    if (coefficient == 1)
        return term + name;
    if (coefficient == -1)
        return term + QLatin1Char('-') + name;
    return term + FormatCoefficient(coefficient) + name;
}

QString Solver::MovedTerms(int row) const
{
    QString terms;
    for (int c = ConstantColumn + 1; c <= Columns; ++c)
        if (!m_names[c].isEmpty())
            terms += Term(m_table[row][c], m_names[c]);
    return terms;
}

QString Solver::SystemLine(int row) const
{
    QString line;
    for (int c = 1; c <= m_variables; ++c)
        if (!m_names[c].isEmpty())
            line += Term(m_table[row][c], m_names[c]);
    const double constant = m_table[row][ConstantColumn];
    line += Tab + QLatin1Char('=') + Tab + (constant > 0 ? QStringLiteral("+") : QString())
        + FormatCoefficient(constant);
    return line + MovedTerms(row);
}

void Solver::WriteIncompatible(int row)
{
    m_forcedOutput = true;
    AppendLine(QString());
    if (m_showSteps)
        AppendLine(QStringLiteral("La ") + FormatCoefficient(row)
                   + QStringLiteral("ª equació té una contradicció. El sistema no té solucions. "
                                    "SISTEMA INCOMPATIBLE."));
    else
        AppendLine(QStringLiteral("El sistema no té solucions. SISTEMA INCOMPATIBLE."));
    AppendLine(QString());
    m_forcedOutput = false;
}

bool Solver::ForwardElimination(bool &incompatible)
{
    int pivotRow = 1;
    for (int column = 1; column <= m_variables; ++column) {
        int lead[MaxEquations + 2];
        for (int r = 1; r <= MaxEquations + 1; ++r)
            lead[r] = LeadColumn(r, 1);
        bool disordered = false;
        for (int r = pivotRow; r <= m_rows; ++r)
            if (lead[r] > lead[r + 1])
                disordered = true;
        if (disordered) {
            for (int i = pivotRow; i <= m_rows; ++i)
                for (int j = i; j <= m_rows; ++j)
                    if (lead[i] > lead[j]) {
                        SwapRows(i, j);
                        std::swap(lead[i], lead[j]);
                    }
            WriteStep(QStringLiteral("Reordenem les equacions."));
        }

        // A coefficient 1 reads best, then -1, then the smallest one.
        int pivot = 0;
        for (int r = pivotRow; r <= m_rows && !pivot; ++r)
            if (At(r, column) == 1)
                pivot = r;
        for (int r = pivotRow; r <= m_rows && !pivot; ++r)
            if (At(r, column) == -1)
                pivot = r;
        if (!pivot) {
            // The smallest non-zero coefficient, the first one on ties.
            for (int r = pivotRow; r <= m_rows; ++r)
                if (At(r, column) != 0
                    && (!pivot || std::abs(At(r, column)) < std::abs(At(pivot, column))))
                    pivot = r;
        }
        if (!pivot)
            continue;

        if (pivot != pivotRow) {
            SwapRows(pivotRow, pivot);
            WriteStep(QStringLiteral("Canviat l'ordre de les equacions:") + Tab
                      + FormatCoefficient(pivotRow) + QStringLiteral("ª,") + Tab
                      + FormatCoefficient(pivot) + QStringLiteral("ª."));
        }

        int k = pivotRow + 1;
        while (k <= m_rows) {
            if (At(k, column) == 0) {
                ++k;
                continue;
            }
            const double a = At(pivotRow, column);
            const double q = -At(k, column);
            if (!Combine(k, pivotRow, a, q, column))
                return false;
            WriteStep(QStringLiteral("Multipliquem la ") + BracketNegative(pivotRow)
                      + QStringLiteral("ª equació per ") + BracketNegative(q)
                      + QStringLiteral(" i ho sumem a la ") + BracketNegative(k)
                      + QStringLiteral("ª equació multiplicada per ") + BracketNegative(a)
                      + QStringLiteral(" ."));
            if (RowIsZero(k, column, m_variables)) {
                if (At(k, ConstantColumn) != 0) {
                    WriteIncompatible(k);
                    incompatible = true;
                    return true;
                }
                RemoveRow(k);
                WriteStep(QStringLiteral("Eliminem la ") + FormatCoefficient(k)
                          + QStringLiteral("ª equació."));
                continue;
            }
            ++k;
        }
        ++pivotRow;
    }
    return true;
}

void Solver::MoveFreeVariables()
{
    int lead[MaxEquations + 2];
    for (int r = 1; r <= MaxEquations + 1; ++r)
        lead[r] = LeadColumn(r, r);
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c <= VariableColumns; ++c) {
            bool free = false;
            for (int j = r; j <= m_rows; ++j)
                if (lead[j] < c && c < lead[j + 1])
                    free = true;
            if (!free || At(r, c) == 0)
                continue;
            At(r, c + VariableColumns) = -At(r, c);
            At(r, c) = 0;
            if (!m_names[c].isEmpty()) {
                m_names[c + VariableColumns] = m_names[c];
                m_names[c].clear();
            }
        }
    WriteStep(QStringLiteral("SISTEMA COMPATIBLE INDETERMINAT.\n\n"
                             "Passem les incògnites no principals a l'altra banda."));
    for (int c = 1; c <= m_variables;)
        if (m_names[c].isEmpty())
            RemoveVariableColumn(c);
        else
            ++c;
}

bool Solver::BackElimination()
{
    for (int row = m_variables; row >= 1; --row) {
        if (m_names[row].isEmpty())
            continue;
        for (int k = row - 1; k >= 1; --k) {
            if (At(k, row) == 0)
                continue;
            const double a = At(row, row);
            const double q = -At(k, row);
            if (!Combine(k, row, a, q, 1))
                return false;
            WriteStep(QStringLiteral("Multipliquem la ") + FormatCoefficient(row)
                      + QStringLiteral("ª equació per ") + BracketNegative(q)
                      + QStringLiteral(" i ho sumem a la ") + FormatCoefficient(k)
                      + QStringLiteral("ª equació multiplicada per ") + BracketNegative(a)
                      + QStringLiteral(" ."));
        }
    }
    return true;
}

bool Solver::Division()
{
    bool needed = false;
    for (int r = 1; r <= m_variables; ++r)
        if (At(r, r) != 1)
            needed = true;
    if (!needed)
        return true;
    for (int r = 1; r <= m_variables; ++r) {
        const double divisor = At(r, r);
        for (int c = 1; c <= Columns; ++c) {
            At(r, c) /= divisor;
            if (!std::isfinite(At(r, c)))
                return false;
        }
    }
    WriteStep(QStringLiteral("Dividim cada equació pel coeficient de la seva incògnita."));
    return true;
}

void Solver::WriteAnswer(bool indeterminate)
{
    m_forcedOutput = true;
    AppendLine(QString());
    AppendLine(QString());
    AppendLine(indeterminate ? QStringLiteral("SISTEMA COMPATIBLE INDETERMINAT.")
                             : QStringLiteral("SISTEMA COMPATIBLE DETERMINAT."));
    AppendLine(QString());
    AppendLine(QStringLiteral("Solució: "));
    AppendLine(QString());
    for (int r = 1; r <= m_variables; ++r) {
        const double constant = At(r, ConstantColumn);
        AppendLine(m_names[r] + QStringLiteral(" = ")
                   + (constant > 0 ? QStringLiteral("+") : QString())
                   + FormatCoefficient(constant) + MovedTerms(r));
    }
    AppendLine(QString());
    m_forcedOutput = false;
}

SystemSolution Solver::Solve()
{
    for (int r = 1; r <= m_rows;)
        if (RowIsZero(r, 1, VariableColumns))
            RemoveRow(r);
        else
            ++r;
    if (m_rows == 0)
        return {AllCoefficientsZero, QString()};
    for (int c = 1; c <= m_variables;) {
        bool unused = true;
        for (int r = 1; r <= m_rows; ++r)
            if (At(r, c) != 0)
                unused = false;
        if (unused)
            RemoveVariableColumn(c);
        else
            ++c;
    }
    WriteStep(QStringLiteral("Equació inicial:"));

    bool incompatible = false;
    if (!ForwardElimination(incompatible))
        return {CoefficientsTooLarge, QString()};
    if (incompatible)
        return {SystemSolved, m_text};
    const bool indeterminate = m_rows < m_variables;
    if (indeterminate)
        MoveFreeVariables();
    if (!BackElimination() || !Division())
        return {CoefficientsTooLarge, QString()};
    WriteAnswer(indeterminate);
    return {SystemSolved, m_text};
}

} // namespace

SystemSolution SolveSystem(const QStringList &lines, bool showSteps, int stepTextLimit)
{
    if (lines.isEmpty() || StripBlanks(lines.first()).isEmpty())
        return {NoEquation, QString()};
    ExpressionEvaluator evaluator;
    Solver solver(showSteps, stepTextLimit);
    for (qsizetype i = 0; i < lines.size() && i < MaxEquations; ++i) {
        const std::optional<EquationRow> row = ReadEquation(evaluator, lines.at(i));
        if (!row) {
            if (i == 0)
                return {NotAnEquation, QString()};
            break;
        }
        solver.AddEquation(*row);
    }
    return solver.Solve();
}

bool IsEquationLine(const QString &line)
{
    return SolveSystem(QStringList{line}, false).code == SystemSolved;
}

QString SystemMessage(SystemCode code)
{
    switch (code) {
    case NoEquation:
        return QStringLiteral("Cal introduir com a mínim una equació d'un sistema");
    case NotAnEquation:
        return QStringLiteral("No és un equació d\\264un sistema");
    case AllCoefficientsZero:
        return QStringLiteral("És un sistema en que tots els coeficients són 0. Qualsevol conjunt "
                              "de nombres és solució. O si el terme independent és <>0 el sistema "
                              "és incompatible.");
    case CoefficientsTooLarge:
        return QStringLiteral("Els coeficients del sistema es fan massa grans i no es pot resoldre.");
    case SystemSolved:
        break;
    }
    return QString();
}
