#include "maths/EquationReader.h"

#include "maths/ExpressionEvaluator.h"
#include "maths/NumberText.h"

namespace {

const QString VariableLetters = QStringLiteral("XYZUV");

// Room is kept below the evaluator's limit for the tokens a normalisation adds.
constexpr int NormaliseLimit = 198;

Token NumberToken(double value)
{
    return Token{QString(), value};
}

bool IsVariableToken(const Token &token)
{
    return token.text.size() == 1 && VariableLetters.contains(token.text.at(0));
}

// Brings a side to the form "(" N*X + N*Y ... ")": signs folded into the numbers,
// a bare variable given the coefficient 1 or -1.
void Normalise(TokenList &tokens)
{
    if (tokens.size() >= 4 && tokens.at(0).Is("(") && tokens.at(1).IsNumber()
        && tokens.at(2).Is("*") && tokens.at(3).IsNumber()) {
        tokens[1].value *= tokens.at(3).value;
        tokens.remove(2, 2);
    }
    if (tokens.size() >= 2 && tokens.size() < NormaliseLimit && tokens.at(0).Is("(")
        && IsVariableToken(tokens.at(1))) {
        tokens.insert(1, NumberToken(1));
        tokens.insert(2, Token{QStringLiteral("*"), 0});
    }
    for (qsizetype i = 0; i + 1 < tokens.size(); ++i) {
        Token &sign = tokens[i];
        const Token &next = tokens.at(i + 1);
        if (sign.Is("-") && next.IsNumber()) {
            sign.text = QStringLiteral("+");
            tokens[i + 1].value = -next.value;
        } else if ((sign.Is("+") || sign.Is("-")) && IsVariableToken(next)
                   && tokens.size() < NormaliseLimit) {
            const double coefficient = sign.Is("+") ? 1 : -1;
            sign.text = QStringLiteral("+");
            tokens.insert(i + 1, NumberToken(coefficient));
            tokens.insert(i + 2, Token{QStringLiteral("*"), 0});
        }
    }
}

// The token texts joined, every number written "N".
QString Shape(const TokenList &tokens)
{
    QString shape;
    for (const Token &token : tokens)
        shape += token.IsNumber() ? QStringLiteral("N") : token.text;
    return shape;
}

std::optional<TokenList> ParsedSide(ExpressionEvaluator &evaluator, const QString &side)
{
    if (evaluator.ParseExpression(side, ParseMode::SystemMode) != Accepted)
        return std::nullopt;
    TokenList tokens = evaluator.Tokens();
    Normalise(tokens);
    return tokens;
}

} // namespace

std::optional<EquationRow> ReadEquation(ExpressionEvaluator &evaluator, const QString &line)
{
    const QString text = StripBlanks(line);
    qsizetype equals = -1;
    for (qsizetype i = 1; i + 1 < text.size(); ++i)
        if (text.at(i) == QLatin1Char('=')) {
            equals = i;
            break;
        }
    if (equals < 0)
        return std::nullopt;

    const std::optional<TokenList> left = ParsedSide(evaluator, text.left(equals));
    if (!left)
        return std::nullopt;
    const std::optional<TokenList> right = ParsedSide(evaluator, text.mid(equals + 1));
    if (!right)
        return std::nullopt;

    if (Shape(*right) != QLatin1String("(N)"))
        return std::nullopt;

    const QString shape = Shape(*left);
    QString expected = QStringLiteral("(");
    for (const QChar letter : VariableLetters) {
        if (!shape.contains(letter))
            continue;
        if (expected.size() > 1)
            expected += QLatin1Char('+');
        expected += QStringLiteral("N*") + letter;
    }
    expected += QLatin1Char(')');
    if (shape != expected)
        return std::nullopt;

    EquationRow row;
    row.constant = right->at(1).value;
    for (qsizetype i = 2; i < left->size(); ++i) {
        const Token &token = left->at(i);
        if (IsVariableToken(token)) {
            const auto column = VariableLetters.indexOf(token.text.at(0));
            row.coefficients[column] = left->at(i - 2).value;
        }
    }
    return row;
}
