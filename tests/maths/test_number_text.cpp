#include "maths/NumberText.h"

#include <QtTest>

#include <limits>

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void roundClamp();
    void formatResult_data();
    void formatResult();
    void formatCoefficient_data();
    void formatCoefficient();
};

void TestNumberText::roundClamp()
{
    QCOMPARE(RoundClamp(2000000000.4), 2000000000);
    QCOMPARE(RoundClamp(-3e9), -2000000000);
    QCOMPARE(RoundClamp(0.5), 0);
    QCOMPARE(RoundClamp(1.5), 2);
    QCOMPARE(RoundClamp(-2.5), -2);
    QCOMPARE(RoundClamp(std::numeric_limits<double>::quiet_NaN()), 0);
    QCOMPARE(RoundClamp(std::numeric_limits<double>::infinity()), 2000000000);
}

void TestNumberText::formatResult_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ten thirds") << 10.0 / 3 << "3,333333";
    QTest::newRow("truncated, not rounded") << 1.23456789 << "1,234567";
    QTest::newRow("above ten") << 12.3456789 << "12,34567";
    QTest::newRow("above a hundred thousand") << 123456.789 << "123456,7";
    QTest::newRow("two million thirds keeps one decimal") << 2000000.0 / 3 << "666666,6";
    QTest::newRow("above a million") << 20000000.0 / 3 << "6666666";
    QTest::newRow("a third") << 1.0 / 3 << "0,333333";
    QTest::newRow("minus a third") << -1.0 / 3 << "-0,333333333333333";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("fixed rule at its top") << 0.0001 << "0,0001";
    QTest::newRow("fixed rule") << 0.00012 << "0,00012";
    QTest::newRow("tiny") << 0.00000099 << "9,9E-7";
    QTest::newRow("1e19 keeps its exponent") << 1e19 << "1E19";
    QTest::newRow("mantissa trimmed") << 1.23456789e17 << "1,234567E17";
}

void TestNumberText::formatResult()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(FormatResult(x), expected);
}

void TestNumberText::formatCoefficient_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("bracketed");
    QTest::newRow("negative integer") << -3.0 << "-3" << "(-3)";
    QTest::newRow("half") << 2.5 << "2.5" << "2.5";
    QTest::newRow("third") << 1.0 / 3 << "0.333333" << "0.333333";
    QTest::newRow("large positive truncated") << 123456.7 << "123456" << "123456";
    QTest::newRow("large negative kept") << -123456.7 << "-123456.7" << "(-123456.7)";
    QTest::newRow("negative zero") << -0.0 << "-0" << "-0";
    QTest::newRow("tiny negative") << -0.0000001 << "-0" << "(-0)";
    QTest::newRow("beyond the clamp") << 3e9 << "3000000000" << "3000000000";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "NAN" << "NAN";
    QTest::newRow("infinite") << -std::numeric_limits<double>::infinity() << "-INF" << "(-INF)";
}

void TestNumberText::formatCoefficient()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QFETCH(QString, bracketed);
    QCOMPARE(FormatCoefficient(x), expected);
    QCOMPARE(BracketNegative(x), bracketed);
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
