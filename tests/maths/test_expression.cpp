#include "core/TextEncoding.h"
#include "maths/ExpressionEvaluator.h"

#include <QtTest>

#include <cmath>

namespace {

// The analysis code, then the calculation code and the value of a text.
struct Outcome
{
    int analysis = 0;
    int calculation = 0;
    double value = 0;
};

Outcome Compute(const QString &text, double x = 0, ParseMode mode = ParseMode::Normal)
{
    ExpressionEvaluator evaluator;
    Outcome outcome{evaluator.ParseExpression(text, mode)};
    if (outcome.analysis == Accepted) {
        const Evaluation result = evaluator.EvaluateTokens(x);
        outcome.calculation = result.code;
        outcome.value = result.value;
    }
    return outcome;
}

const double Degree = 3.141593 / 180;

} // namespace

class TestExpression : public QObject
{
    Q_OBJECT

private slots:
    void computesValues_data();
    void computesValues();
    void refusesWithTheRightCode_data();
    void refusesWithTheRightCode();
    void xTakesTheGivenValueAndOtherVariablesZero();
    void everyWindows1252CharacterAloneAndInPairsGivesACode();
};

void TestExpression::computesValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const QString sum200 = QStringLiteral("123456789+").repeated(19) + QStringLiteral("1234567890");
    QTest::newRow("implicit product before power") << "2(3+4)^2" << 98.0;
    QTest::newRow("leading minus binds like a product") << "-2^2" << -4.0;
    QTest::newRow("powers chain from the left") << "2^3^2" << 64.0;
    QTest::newRow("bracketed negative operand") << "2*(-3)" << -6.0;
    QTest::newRow("leading plus") << "+5" << 5.0;
    QTest::newRow("products in the order written") << "8/2*4" << 16.0;
    QTest::newRow("sums in the order written") << "10-4+3" << 9.0;
    QTest::newRow("sine in degrees, both spellings") << "seg(30)-sig(30)+sin(30)" << std::sin(30.0);
    QTest::newRow("arc functions at their ends") << "acg(0)+asg(1)+aco(0)" << 181.570796;
    QTest::newRow("arc cosine of a negative") << "acg(-1)" << 180.0;
    QTest::newRow("arc sine, other spelling") << "ase(0,5)" << std::atan(0.5 / std::sqrt(0.75));
    QTest::newRow("tangent in degrees") << "tag(45)" << std::tan(45 * Degree);
    QTest::newRow("logarithm and absolute value") << "log(1000)-abs(-2,5)" << 0.5;
    QTest::newRow("natural logarithm of ne") << "ln(ne)" << std::log(2.718282);
    QTest::newRow("exponential") << "exp(1)" << std::exp(1.0);
    QTest::newRow("ten to the power at the limit") << "alo(19)" << 1e19;
    QTest::newRow("negative power of a negative base") << "(-2)^(-1)" << -0.5;
    QTest::newRow("cube root of a negative") << "(-8)^(1/3)" << -2.0;
    QTest::newRow("odd root found on the second turn") << "(-32)^0,6" << -8.0;
    QTest::newRow("even power found on the second turn") << "(-8)^(4/3)" << 16.0;
    QTest::newRow("pi with a factor, lone p") << "2pi-p" << 3.141593;
    QTest::newRow("pi followed by a digit") << "PI2" << 3.1415932;
    QTest::newRow("comma and apostrophe as points") << "3,5+1'5" << 5.0;
    QTest::newRow("points at the ends") << "5.+.5" << 5.5;
    QTest::newRow("nineteen digits") << "9999999999999999999" << 1e19;
    QTest::newRow("x counts as zero") << "x+1" << 1.0;
    QTest::newRow("200 characters") << sum200 << 19 * 123456789.0 + 1234567890;
    QTest::newRow("200 tokens") << QStringLiteral("x+").repeated(98) + QStringLiteral("10") << 10.0;
    QTest::newRow("nested 98 deep")
        << QStringLiteral("(").repeated(98) + QStringLiteral("2") + QStringLiteral(")").repeated(98) << 2.0;
}

void TestExpression::computesValues()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    const Outcome outcome = Compute(text);
    QCOMPARE(outcome.analysis, 0);
    QCOMPARE(outcome.calculation, 0);
    QVERIFY2(std::abs(outcome.value - expected) <= 1e-9 * std::max(1.0, std::abs(expected)),
             qPrintable(QString::number(outcome.value, 'g', 17)));
}

void TestExpression::refusesWithTheRightCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("analysis");
    QTest::addColumn<int>("calculation");
    const QString sum200 = QStringLiteral("123456789+").repeated(19) + QStringLiteral("1234567890");
    QTest::newRow("operator after operator") << "2*-3" << 5 << 0;
    QTest::newRow("negative exponent unbracketed") << "2^-1" << 5 << 0;
    QTest::newRow("two points in a number") << "1.2.3" << 5 << 0;
    QTest::newRow("lone point") << "." << 5 << 0;
    QTest::newRow("closing then opening") << "(1)(2)" << 5 << 0;
    QTest::newRow("operator at the end") << "2+" << 5 << 0;
    QTest::newRow("variable then digit") << "x2" << 5 << 0;
    QTest::newRow("y outside systems") << "y+1" << 2 << 0;
    QTest::newRow("unknown name") << "sqrt(4)" << 2 << 0;
    QTest::newRow("exponent letter") << "1e5" << 3 << 0;
    QTest::newRow("empty parentheses") << "2+()" << 7 << 0;
    QTest::newRow("empty text") << "" << 7 << 0;
    QTest::newRow("unclosed") << QStringLiteral("(").repeated(150) + "2" << 4 << 0;
    QTest::newRow("unopened") << QStringLiteral("2") + QStringLiteral(")").repeated(150) << 1 << 0;
    QTest::newRow("unclosed 200 deep") << QStringLiteral("(").repeated(199) + "2" << 8 << 0;
    QTest::newRow("201 characters") << sum200 + "0" << 8 << 0;
    QTest::newRow("10000 characters") << QStringLiteral("1+").repeated(5000) << 8 << 0;
    QTest::newRow("201 tokens") << QStringLiteral("x+").repeated(99) + "x" << 8 << 0;
    QTest::newRow("constants beyond the limit") << QStringLiteral("p*").repeated(40) + "p" << 8 << 0;
    QTest::newRow("twenty digits") << "12345678901234567890" << 9 << 0;
    QTest::newRow("400 digits") << QStringLiteral("9").repeated(400) << 8 << 0;
    QTest::newRow("arc sine beyond 1") << "asi(2)" << 0 << 2;
    QTest::newRow("arc cosine beyond 1") << "acg(-2)" << 0 << 2;
    QTest::newRow("logarithm of 0") << "log(0)" << 0 << 3;
    QTest::newRow("natural logarithm of a negative") << "ln(-1)" << 0 << 3;
    QTest::newRow("division by zero") << "1/0" << 0 << 1;
    QTest::newRow("exponential too large") << "exp(88)" << 0 << 4;
    QTest::newRow("result above the limit") << "alo(20)" << 0 << 4;
    QTest::newRow("zero to the zero") << "0^0" << 0 << 2;
    QTest::newRow("zero to a negative fraction") << "0^(-0,5)" << 0 << 2;
    QTest::newRow("square root of a negative") << "(-4)^0.5" << 0 << 2;
    QTest::newRow("inverse too small") << "0,0000000001^(-2)" << 0 << 4;
    QTest::newRow("base too large") << "(9999999999999999999*9)^2" << 0 << 4;
    QTest::newRow("product of large operands") << "9999999999999999999*9999999999999999999*2" << 0 << 4;
}

void TestExpression::refusesWithTheRightCode()
{
    QFETCH(QString, text);
    QFETCH(int, analysis);
    QFETCH(int, calculation);
    const Outcome outcome = Compute(text);
    QCOMPARE(outcome.analysis, analysis);
    QCOMPARE(outcome.calculation, calculation);
}

void TestExpression::xTakesTheGivenValueAndOtherVariablesZero()
{
    QCOMPARE(Compute(QStringLiteral("2x+x(2)"), 3).value, 12.0);
    const Outcome system = Compute(QStringLiteral("x+y+z+u+v"), 4, ParseMode::SystemMode);
    QCOMPARE(system.analysis, 0);
    QCOMPARE(system.value, 4.0);
}

void TestExpression::everyWindows1252CharacterAloneAndInPairsGivesACode()
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString characters = TextEncoding::DecodeWindows1252(all);
    ExpressionEvaluator evaluator;
    int accepted = 0;
    for (const QChar first : characters) {
        evaluator.ParseExpression(QString(first));
        for (const QChar second : characters) {
            if (evaluator.ParseExpression(QString(first) + second) != Accepted)
                continue;
            ++accepted;
            const Evaluation result = evaluator.EvaluateTokens(0);
            QVERIFY(result.code != Computed || std::isfinite(result.value));
        }
    }
    // Two digits, a sign and a digit, a digit and a point, x and a digit...
    QVERIFY(accepted > 100);
}

QTEST_APPLESS_MAIN(TestExpression)
#include "test_expression.moc"
