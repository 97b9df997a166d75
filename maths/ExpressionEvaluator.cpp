#include "maths/ExpressionEvaluator.h"

#include "maths/NumberText.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace {

// The calculator's own value of pi, used for the constant and for degrees.
constexpr double ShortPi = 3.141593;
constexpr double Limit = 1e19;
constexpr double Tiny = 1e-19;

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsOneOf(QChar c, const char *set)
{
    for (const char *p = set; *p; ++p)
        if (c == QLatin1Char(*p))
            return true;
    return false;
}

bool IsVariable(QChar c)
{
    return IsOneOf(c, "XYZUV");
}

bool IsOperator(QChar c)
{
    return IsOneOf(c, "+-*/^");
}

// The letters a function name may begin with.
bool IsFunctionInitial(QChar c)
{
    return IsOneOf(c, "SCTAL");
}

bool IsVariableToken(const Token &token)
{
    return token.text.size() == 1 && IsVariable(token.text.at(0));
}

bool IsOperatorToken(const Token &token)
{
    return token.text.size() == 1 && IsOperator(token.text.at(0));
}

struct FunctionHead
{
    const char *written;
    const char *token;
};

// In the order they are tested.
constexpr FunctionHead FunctionHeads[] = {
    {"SIN(", "SIN"}, {"SIG(", "SIG"}, {"ASI(", "ASI"}, {"ASG(", "ASG"}, {"COS(", "COS"},
    {"COG(", "COG"}, {"ACO(", "ACO"}, {"ACG(", "ACG"}, {"TAN(", "TAN"}, {"TAG(", "TAG"},
    {"ATA(", "ATA"}, {"ATG(", "ATG"}, {"ABS(", "ABS"}, {"LOG(", "LOG"}, {"ALO(", "ALO"},
    {"ALN(", "EXP"}, {"LN(", "LNE"},
};

// Step by step, the rewriting that turns the typed text into plain symbols.
void ExpandConstantsAndSynonyms(QString &s)
{
    // A digit before PI or NE multiplies it.
    for (qsizetype i = 0; i + 1 < s.size(); ++i)
        if (IsDigit(s.at(i)) && IsOneOf(s.at(i + 1), "PN"))
            s.insert(i + 1, QLatin1Char('*'));

    const QString pi = QStringLiteral("3.141593");
    const QString e = QStringLiteral("2.718282");
    qsizetype i = 0;
    while (i < s.size()) {
        const QStringView rest = QStringView(s).mid(i);
        if (rest.startsWith(QLatin1String("EXP("))) {
            s.replace(i, 4, QStringLiteral("ALN("));
        } else if (rest.startsWith(QLatin1String("PI"))) {
            s.replace(i, 2, pi);
        } else if (rest.startsWith(QLatin1Char('P'))) {
            s.replace(i, 1, pi);
        } else if (rest.startsWith(QLatin1String("NE"))) {
            s.replace(i, 2, e);
        } else if (rest.startsWith(QLatin1Char(' '))) {
            s.remove(i, 1);
            continue;
        } else if (rest.startsWith(QLatin1String("SEN("))) {
            s.replace(i, 4, QStringLiteral("SIN("));
        } else if (rest.startsWith(QLatin1String("ASE("))) {
            s.replace(i, 4, QStringLiteral("ASI("));
        } else if (rest.startsWith(QLatin1String("SEG("))) {
            s.replace(i, 4, QStringLiteral("SIG("));
        } else if (IsOneOf(s.at(i), ",'")) {
            s[i] = QLatin1Char('.');
        }
        ++i;
    }
}

void InsertImplicitProducts(QString &s)
{
    for (qsizetype i = 0; i + 1 < s.size(); ++i) {
        const QChar c = s.at(i);
        const QChar n = s.at(i + 1);
        const bool product = (IsDigit(c) && (n == QLatin1Char('(') || IsVariable(n) || IsFunctionInitial(n)))
            || (IsVariable(c) && (n == QLatin1Char('(') || IsFunctionInitial(n)));
        if (product)
            s.insert(i + 1, QLatin1Char('*'));
    }
}

// Pairs of neighbouring characters that may not stand together.
bool NeighboursAllowed(const QString &s)
{
    int points = 0;
    for (qsizetype i = 1; i + 1 < s.size(); ++i) {
        const QChar p = s.at(i - 1);
        const QChar c = s.at(i);
        const QChar n = s.at(i + 1);
        if (IsOperator(p) && (IsOperator(c) || c == QLatin1Char(')')))
            return false;
        if (p == QLatin1Char('(') && IsOneOf(c, "*/^)"))
            return false;
        if (IsVariable(p) && (IsVariable(c) || IsDigit(c) || c == QLatin1Char('.')))
            return false;
        if ((IsDigit(p) || p == QLatin1Char('.') || IsVariable(p))
            && (IsVariable(c) || c == QLatin1Char('(') || IsFunctionInitial(c)))
            return false;
        if (p == QLatin1Char(')')
            && (IsDigit(c) || c == QLatin1Char('.') || IsFunctionInitial(c) || IsVariable(c)))
            return false;
        if (c == QLatin1Char('.')) {
            if ((!IsDigit(p) && !IsDigit(n)) || p == QLatin1Char('.'))
                return false;
            if (++points >= 2)
                return false;
        } else if (!IsDigit(c)) {
            points = 0;
        }
    }
    return true;
}

// A run of digits with at most one point ("5." and ".5" included).
bool ReadNumber(const QString &text, double &value)
{
    const QByteArray latin = text.toLatin1();
    const char *begin = latin.constData();
    const char *end = begin + latin.size();
    const auto result = std::from_chars(begin, end, value, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == end;
}

Evaluation Value(double value)
{
    return {value, Computed};
}

Evaluation Refused(CalcCode code)
{
    return {0, code};
}

Evaluation ArcSine(double x)
{
    if (x == 1)
        return Value(1.570796);
    if (x == -1)
        return Value(-1.570796);
    const double d = 1 - x * x;
    if (d < 0)
        return Refused(NoRealResult);
    return Value(std::atan(x / std::sqrt(d)));
}

// The arc cosine for x other than 0, in radians, without the half turn for negative x.
Evaluation ArcCosineBase(double x)
{
    const double d = 1 - x * x;
    if (d < 0)
        return Refused(NoRealResult);
    return Value(std::atan(std::sqrt(d) / x));
}

Evaluation ApplyFunction(const QString &name, double x)
{
    const double toRadians = ShortPi / 180;
    const double toDegrees = 180 / ShortPi;
    if (name == QLatin1String("SIN"))
        return Value(std::sin(x));
    if (name == QLatin1String("SIG"))
        return Value(std::sin(x * toRadians));
    if (name == QLatin1String("COS"))
        return Value(std::cos(x));
    if (name == QLatin1String("COG"))
        return Value(std::cos(x * toRadians));
    if (name == QLatin1String("TAN") || name == QLatin1String("TAG")) {
        const double angle = name == QLatin1String("TAG") ? x * toRadians : x;
        const double cosine = std::cos(angle);
        if (std::abs(cosine) <= Tiny)
            return Refused(OutOfRange);
        return Value(std::sin(angle) / cosine);
    }
    if (name == QLatin1String("ASI"))
        return ArcSine(x);
    if (name == QLatin1String("ASG")) {
        if (x == 1)
            return Value(90);
        if (x == -1)
            return Value(-90);
        Evaluation result = ArcSine(x);
        result.value *= toDegrees;
        return result;
    }
    if (name == QLatin1String("ACO")) {
        if (x == 0)
            return Value(1.570796);
        Evaluation result = ArcCosineBase(x);
        if (x < 0)
            result.value += ShortPi;
        return result;
    }
    if (name == QLatin1String("ACG")) {
        if (x == 0)
            return Value(90);
        Evaluation result = ArcCosineBase(x);
        result.value = result.value * toDegrees + (x < 0 ? 180 : 0);
        return result;
    }
    if (name == QLatin1String("ATA"))
        return Value(std::atan(x));
    if (name == QLatin1String("ATG"))
        return Value(std::atan(x) * toDegrees);
    if (name == QLatin1String("ABS"))
        return Value(std::abs(x));
    if (name == QLatin1String("LNE") || name == QLatin1String("LOG")) {
        if (x <= 0)
            return Refused(LogarithmOfNonPositive);
        return Value(name == QLatin1String("LOG") ? std::log(x) / std::log(10.0) : std::log(x));
    }
    if (name == QLatin1String("ALO"))
        return PowerOf(10, x);
    if (name == QLatin1String("EXP")) {
        if (!(x > -88 && x < 88))
            return Refused(OutOfRange);
        return Value(std::exp(x));
    }
    return Refused(OutOfRange);
}

Evaluation ApplyOperator(QChar op, double left, double right)
{
    switch (op.unicode()) {
    case '^':
        return PowerOf(left, right);
    case '*':
        if (std::abs(left) >= Limit || std::abs(right) >= Limit)
            return Refused(OutOfRange);
        return Value(left * right);
    case '/':
        if (right == 0)
            return Refused(DivisionByZero);
        if (std::abs(left) >= Limit || std::abs(right) <= Tiny)
            return Refused(OutOfRange);
        return Value(left / right);
    default:
        if (std::abs(left) >= Limit || std::abs(right) >= Limit)
            return Refused(OutOfRange);
        return Value(op == QLatin1Char('+') ? left + right : left - right);
    }
}

// Performs every operator of the set, left to right, between the parentheses at
// open and close; close follows the list as it shrinks.
CalcCode ReduceGroup(TokenList &work, qsizetype open, qsizetype &close, const char *operators)
{
    qsizetype i = open + 1;
    while (i < close) {
        const Token &token = work.at(i);
        if (!IsOperatorToken(token) || !IsOneOf(token.text.at(0), operators)) {
            ++i;
            continue;
        }
        // The parser lets only numbers stand on both sides of an operator.
        if (i - 1 <= open || i + 1 >= close || !work.at(i - 1).IsNumber()
            || !work.at(i + 1).IsNumber())
            return OutOfRange;
        const Evaluation result = ApplyOperator(token.text.at(0), work.at(i - 1).value,
                                                work.at(i + 1).value);
        if (result.code != Computed)
            return result.code;
        work[i - 1].value = result.value;
        work.remove(i, 2);
        close -= 2;
    }
    return Computed;
}

} // namespace

Evaluation PowerOf(double base, double exponent)
{
    if (exponent == std::trunc(exponent) && exponent != 0 && std::abs(exponent) < 100) {
        double r = 1;
        const int times = int(std::abs(exponent));
        for (int i = 0; i < times; ++i) {
            if (r > Limit || base > Limit)
                return Refused(OutOfRange);
            r *= base;
        }
        if (exponent > 0)
            return Value(r);
        // A negative product is inverted as well: (-2)^(-1) is -0.5.
        if (std::abs(r) <= Tiny)
            return Refused(OutOfRange);
        return Value(1 / r);
    }
    if (base > 0) {
        const double f = exponent * std::log(base);
        if (!(f > -88 && f < 88))
            return Refused(OutOfRange);
        return Value(std::exp(f));
    }
    if (base == 0)
        return exponent > 0 ? Value(0) : Refused(NoRealResult);
    // A negative base has a real power when e(1+2k)pi is a whole number of half
    // turns for some k; the first one found decides the sign.
    constexpr double pi = std::numbers::pi;
    for (int k = 0;; ++k) {
        const double g = exponent * pi * (1 + 2 * k);
        if (std::abs(std::sin(g)) < 0.00001) {
            const double f = exponent * std::log(-base);
            if (!(f > -88 && f < 88))
                return Refused(OutOfRange);
            return Value(std::exp(f) * std::cos(g));
        }
        if (!(std::abs(g) <= 2 * pi))
            break;
    }
    return Refused(NoRealResult);
}

AnalysisCode ExpressionEvaluator::ParseExpression(const QString &text, ParseMode mode)
{
    m_tokens.clear();
    QString s = QLatin1Char('(') + ToUpperAscii(text) + QLatin1Char(')');
    if (mode != ParseMode::SystemMode)
        for (const QChar c : s)
            if (IsOneOf(c, "YZUV"))
                return UnknownName;
    if (s.size() > 202)
        return TooLong;

    ExpandConstantsAndSynonyms(s);
    InsertImplicitProducts(s);
    if (s.contains(QLatin1String("()")))
        return EmptyParentheses;
    if (s.size() >= 255)
        return TooLong;
    if (!NeighboursAllowed(s))
        return BadNeighbours;
    if (const AnalysisCode code = CutIntoTokens(s); code != Accepted)
        return code;
    return JoinSigns();
}

AnalysisCode ExpressionEvaluator::CutIntoTokens(const QString &s)
{
    int depth = 0;
    QString number;
    auto add = [this](const QString &symbol, double value = 0) {
        if (m_tokens.size() >= MaxTokens)
            return false;
        m_tokens.append(Token{symbol, value});
        return true;
    };
    auto closeNumber = [&]() {
        if (number.isEmpty())
            return Accepted;
        if (number.size() >= 20)
            return NumberTooLong;
        double value = 0;
        if (!ReadNumber(number, value))
            return UnreadableNumber;
        number.clear();
        return add(QString(), value) ? Accepted : TooLong;
    };
    const qsizetype last = s.size() - 1;
    qsizetype i = 0;
    while (i <= last) {
        const QChar c = s.at(i);
        if (IsDigit(c) || c == QLatin1Char('.')) {
            number.append(c);
            ++i;
            continue;
        }
        if (c == QLatin1Char('(') || c == QLatin1Char(')') || IsOperator(c)) {
            if (c == QLatin1Char('(')) {
                ++depth;
            } else if (c == QLatin1Char(')')) {
                --depth;
                if (depth < 0 || (depth == 0 && i < last))
                    return UnopenedParenthesis;
            }
        } else if (!IsVariable(c) && !IsFunctionInitial(c)) {
            return UnknownCharacter;
        }
        if (const AnalysisCode code = closeNumber(); code != Accepted)
            return code;
        if (IsFunctionInitial(c)) {
            const QStringView rest = QStringView(s).mid(i);
            const FunctionHead *found = nullptr;
            for (const FunctionHead &head : FunctionHeads)
                if (rest.startsWith(QLatin1String(head.written))) {
                    found = &head;
                    break;
                }
            if (!found)
                return UnknownName;
            if (!add(QLatin1String(found->token)))
                return TooLong;
            // The "(" of the name becomes a token of its own.
            i += qsizetype(qstrlen(found->written)) - 1;
            continue;
        }
        if (!add(QString(c)))
            return TooLong;
        ++i;
    }
    return depth != 0 ? UnclosedParenthesis : Accepted;
}

// Signs after "(" and operators that may not follow one another.
AnalysisCode ExpressionEvaluator::JoinSigns()
{
    qsizetype t = 0;
    while (t < m_tokens.size()) {
        const Token &a = m_tokens.at(t);
        const Token *next = t + 1 < m_tokens.size() ? &m_tokens.at(t + 1) : nullptr;
        const Token *previous = t > 0 ? &m_tokens.at(t - 1) : nullptr;
        if (IsOperatorToken(a) && next
            && (next->Is(")") || next->Is("+") || next->Is("-") || next->Is("*") || next->Is("/")))
            return BadNeighbours;
        if (a.Is("(")) {
            if ((next && (next->Is("*") || next->Is("/") || next->Is(")")))
                || (previous && previous->Is(")")))
                return BadNeighbours;
            if (next && next->Is("+")) {
                m_tokens.remove(t + 1);
                continue;
            }
            if (next && next->Is("-")) {
                // A leading minus multiplies by -1.
                if (m_tokens.size() >= MaxTokens)
                    return TooLong;
                m_tokens[t + 1] = Token{QString(), -1};
                m_tokens.insert(t + 2, Token{QStringLiteral("*"), 0});
            }
        }
        ++t;
    }
    return Accepted;
}

Evaluation ExpressionEvaluator::EvaluateTokens(double xValue) const
{
    TokenList work;
    work.reserve(m_tokens.size());
    for (const Token &token : m_tokens) {
        if (IsVariableToken(token))
            work.append(Token{QString(), token.Is("X") ? xValue : 0});
        else
            work.append(token);
    }

    for (;;) {
        qsizetype close = -1;
        for (qsizetype i = 0; i < work.size(); ++i)
            if (work.at(i).Is(")")) {
                close = i;
                break;
            }
        if (close < 0)
            break;
        qsizetype open = -1;
        for (qsizetype i = close - 1; i >= 0; --i)
            if (work.at(i).Is("(")) {
                open = i;
                break;
            }
        if (open < 0)
            break;

        for (const char *operators : {"^", "*/", "+-"})
            if (const CalcCode code = ReduceGroup(work, open, close, operators); code != Computed)
                return Refused(code);
        if (close != open + 2 || !work.at(open + 1).IsNumber())
            return Refused(OutOfRange);
        double value = work.at(open + 1).value;
        work.remove(open + 1, 2);
        work[open] = Token{QString(), value};

        if (open > 0 && work.at(open - 1).text.size() == 3) {
            const Evaluation result = ApplyFunction(work.at(open - 1).text, value);
            if (result.code != Computed)
                return result;
            work.remove(open);
            work[open - 1] = Token{QString(), result.value};
        }
    }

    if (work.size() != 1 || !work.at(0).IsNumber())
        return Refused(OutOfRange);
    if (!(std::abs(work.at(0).value) <= Limit))
        return Refused(OutOfRange);
    return Value(work.at(0).value);
}
