#include "maths/NumberText.h"

#include <QtTest>

#include <cmath>
#include <limits>

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void roundClampRoundsTiesToEvenWithinTheLimits_data();
    void roundClampRoundsTiesToEvenWithinTheLimits();
    void roundClampIsSafeForValuesThatAreNotNumbers();
    void formatResultFollowsTheCalculatorRule_data();
    void formatResultFollowsTheCalculatorRule();
    void formatCoefficientFollowsTheSolverRule_data();
    void formatCoefficientFollowsTheSolverRule();
    void bracketNegativeWrapsOnlyNegativeValues();
    void textHelpersTouchOnlyWhatTheySay();
};

void TestNumberText::roundClampRoundsTiesToEvenWithinTheLimits_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("expected");
    QTest::newRow("just above the limit") << 2000000000.4 << 2000000000;
    QTest::newRow("far above") << 3e9 << 2000000000;
    QTest::newRow("far below") << -3e9 << -2000000000;
    QTest::newRow("half to even zero") << 0.5 << 0;
    QTest::newRow("one and a half") << 1.5 << 2;
    QTest::newRow("two and a half") << 2.5 << 2;
    QTest::newRow("minus two and a half") << -2.5 << -2;
    QTest::newRow("plain") << -7.3 << -7;
}

void TestNumberText::roundClampRoundsTiesToEvenWithinTheLimits()
{
    QFETCH(double, x);
    QFETCH(int, expected);
    QCOMPARE(RoundClamp(x), expected);
}

void TestNumberText::roundClampIsSafeForValuesThatAreNotNumbers()
{
    QCOMPARE(RoundClamp(std::numeric_limits<double>::quiet_NaN()), 0);
    QCOMPARE(RoundClamp(std::numeric_limits<double>::infinity()), 2000000000);
    QCOMPARE(RoundClamp(-std::numeric_limits<double>::infinity()), -2000000000);
}

void TestNumberText::formatResultFollowsTheCalculatorRule_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 4.0 << "4";
    QTest::newRow("ten thirds") << 10.0 / 3 << "3,333333";
    QTest::newRow("hundred thirds") << 100.0 / 3 << "33,33333";
    QTest::newRow("truncated, not rounded") << 1.23456789 << "1,234567";
    QTest::newRow("above ten") << 12.3456789 << "12,34567";
    QTest::newRow("above a hundred thousand") << 123456.789 << "123456,7";
    QTest::newRow("above a million") << 1000000.5 << "1000000";
    QTest::newRow("two million thirds keeps one decimal") << 2000000.0 / 3 << "666666,6";
    QTest::newRow("twenty million thirds") << 20000000.0 / 3 << "6666666";
    QTest::newRow("a half") << 0.5 << "0,5";
    QTest::newRow("a third") << 1.0 / 3 << "0,333333";
    QTest::newRow("minus a third") << -1.0 / 3 << "-0,333333333333333";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("fixed rule at its top") << 0.0001 << "0,0001";
    QTest::newRow("fixed rule") << 0.00012 << "0,00012";
    QTest::newRow("tiny") << 0.00000099 << "9,9E-7";
    QTest::newRow("negative large") << -123456789.0 << "-123456789";
    // Values of 1e15 and more keep their exponent.
    QTest::newRow("1e15") << 1e15 << "1E15";
    QTest::newRow("1e19") << 1e19 << "1E19";
    QTest::newRow("mantissa trimmed") << 1.23456789e17 << "1,234567E17";
}

void TestNumberText::formatResultFollowsTheCalculatorRule()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(FormatResult(x), expected);
}

void TestNumberText::formatCoefficientFollowsTheSolverRule_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::newRow("integer") << 12.0 << "12";
    QTest::newRow("negative integer") << -3.0 << "-3";
    QTest::newRow("half") << 2.5 << "2.5";
    QTest::newRow("nearly whole") << 2.0000001 << "2";
    QTest::newRow("third") << 1.0 / 3 << "0.333333";
    QTest::newRow("large positive truncated") << 123456.7 << "123456";
    QTest::newRow("large negative kept") << -123456.7 << "-123456.7";
    QTest::newRow("negative zero") << -0.0 << "-0";
    QTest::newRow("tiny negative") << -0.0000001 << "-0";
    QTest::newRow("beyond the clamp") << 3e9 << "3000000000";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "NAN";
    QTest::newRow("infinite") << -std::numeric_limits<double>::infinity() << "-INF";
}

void TestNumberText::formatCoefficientFollowsTheSolverRule()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(FormatCoefficient(x), expected);
}

void TestNumberText::bracketNegativeWrapsOnlyNegativeValues()
{
    QCOMPARE(BracketNegative(-2), QStringLiteral("(-2)"));
    QCOMPARE(BracketNegative(0), QStringLiteral("0"));
    QCOMPARE(BracketNegative(2.5), QStringLiteral("2.5"));
}

void TestNumberText::textHelpersTouchOnlyWhatTheySay()
{
    QCOMPARE(StripBlanks(QStringLiteral(" 2 +\t3 ")), QStringLiteral("2+3"));
    QCOMPARE(ToUpperAscii(QStringLiteral("sen(x) à")), QStringLiteral("SEN(X) à"));
    QCOMPARE(LeftPart(QStringLiteral("abc"), 2), QStringLiteral("ab"));
    QCOMPARE(RightPart(QStringLiteral("abc"), 5), QStringLiteral("abc"));
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
