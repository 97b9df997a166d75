#pragma once

#include <QList>
#include <QString>

// The calculator's notation: a line of arithmetic as a pupil writes it (2(3+4)^2,
// seg(30)*pi, log(1000)-abs(-2,5)) parsed into tokens and reduced to one value.

// A number (empty text, the value holds it) or a symbol: "(", ")", an operator,
// a variable "X".."V" or a three-letter function name.
struct Token
{
    QString text;
    double value = 0;

    bool IsNumber() const { return text.isEmpty(); }
    bool Is(const char *symbol) const { return text == QLatin1String(symbol); }
};

using TokenList = QList<Token>;

// The parser's answer; the numbers are the ones the messages and callers know.
enum AnalysisCode {
    Accepted = 0,
    UnopenedParenthesis = 1,
    UnknownName = 2,
    UnknownCharacter = 3,
    UnclosedParenthesis = 4,
    BadNeighbours = 5,
    EmptyParentheses = 7,
    TooLong = 8,
    NumberTooLong = 9,
    UnreadableNumber = 10,
};

// The evaluator's answer.
enum CalcCode {
    Computed = 0,
    DivisionByZero = 1,
    NoRealResult = 2,
    LogarithmOfNonPositive = 3,
    OutOfRange = 4,
};

enum class ParseMode {
    Normal = 0,
    // The solver's sides of an equation: the variables Y, Z, U and V are allowed.
    SystemMode = 102,
};

struct Evaluation
{
    double value = 0;
    CalcCode code = Computed;
};

// Most tokens one expression may hold.
constexpr int MaxTokens = 200;

class ExpressionEvaluator
{
public:
    // Normalises the text and cuts it into Tokens(); the text itself is not changed.
    AnalysisCode ParseExpression(const QString &text, ParseMode mode = ParseMode::Normal);
    // Reduces the tokens of the last accepted parse to one value; every "X" counts as
    // xValue and every other variable as 0.
    Evaluation EvaluateTokens(double xValue) const;

    const TokenList &Tokens() const { return m_tokens; }

private:
    // The prepared text cut into tokens: numbers, names, operators and parentheses.
    AnalysisCode CutIntoTokens(const QString &prepared);
    // A sign after "(" dropped or made a product by -1; operators that may not follow
    // one another refused.
    AnalysisCode JoinSigns();
    TokenList m_tokens;
};

// b to the power e with the calculator's rules for whole and negative bases.
Evaluation PowerOf(double base, double exponent);
