#include "engines/VoiceCatalog.h"
#include "tests/common/EspeakSamples.h"

#include <QtTest>

using namespace VoiceCatalog;

class TestVoiceCatalog : public QObject
{
    Q_OBJECT

private slots:
    void espeakVoicesAreListedInAStableOrder()
    {
        const QList<Voice> first = EspeakVoices();
        QVERIFY(!first.isEmpty());
        QStringList identifiers;
        for (const Voice &voice : first) {
            QVERIFY(!voice.identifier.startsWith(QLatin1String("mb/")));
            identifiers << voice.identifier;
        }
        QVERIFY(identifiers.contains(QStringLiteral("roa/ca")));
        QVERIFY(identifiers.contains(QStringLiteral("roa/es")));
        for (int i = 1; i < first.size(); ++i)
            QVERIFY(first.at(i - 1).description.compare(first.at(i).description, Qt::CaseInsensitive) <= 0);
        const QList<Voice> second = EspeakVoices();
        QCOMPARE(second.size(), first.size());
        for (int i = 0; i < first.size(); ++i)
            QCOMPARE(second.at(i).identifier, first.at(i).identifier);
    }

    void espeakRateIsMonotonicAroundTheDefault()
    {
        QCOMPARE(EspeakWordsPerMinute(0), 175);
        QCOMPARE(EspeakWordsPerMinute(-10), 80);
        QCOMPARE(EspeakWordsPerMinute(10), 450);
        for (int p = -10; p < 10; ++p)
            QVERIFY(EspeakWordsPerMinute(p) < EspeakWordsPerMinute(p + 1));
        QCOMPARE(EspeakWordsPerMinute(99), 450);
        QCOMPARE(SpeechDispatcherRate(-10), -100);
        QCOMPARE(SpeechDispatcherRate(3), 30);
    }

    void upctvSpeed_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("speed");
        QTest::newRow("-10") << -10 << 10;
        QTest::newRow("-9") << -9 << 10;
        QTest::newRow("-5") << -5 << 50;
        QTest::newRow("-1") << -1 << 90;
        QTest::newRow("0") << 0 << 100;
        QTest::newRow("1") << 1 << 115;
        QTest::newRow("4") << 4 << 160;
        QTest::newRow("10") << 10 << 250;
    }
    void upctvSpeed()
    {
        QFETCH(int, rate);
        QFETCH(int, speed);
        QCOMPARE(UpctvSpeed(rate), speed);
    }

    void upctvTableHoldsTheFourEntries()
    {
        QCOMPARE(UpctvEntryText(0), QStringLiteral("UPCTV - Home - Català"));
        QCOMPARE(UpctvEntryText(1), QStringLiteral("UPCTV - Dona - Català"));
        QCOMPARE(UpctvEntryText(2), QStringLiteral("UPCTV - Hombre - Español"));
        QCOMPARE(UpctvEntryText(3), QStringLiteral("UPCTV - Mujer - Español"));
        QCOMPARE(UpctvEntryText(4), QString());
        const int speakers[] = {0, 2, 1, 0};
        for (int e = 0; e < kUpctvEntryCount; ++e) {
            QCOMPARE(kUpctvEntries[e].speaker, speakers[e]);
            QCOMPARE(UpctvLanguageCode(QString::fromUtf8(kUpctvEntries[e].languageName)), e < 2 ? 99 : 101);
        }
        QCOMPARE(UpctvLanguageCode(QStringLiteral("Catala")), 101);
    }

    void renderingGivesSamplesThatSlowerRatesLengthen()
    {
        const QVector<qint16> normal = EspeakSamples(QStringLiteral("Bon dia a tothom"), 0, 0);
        const QVector<qint16> slow = EspeakSamples(QStringLiteral("Bon dia a tothom"), 0, -10);
        QVERIFY(normal.size() > EspeakSampleRate() / 4);
        QVERIFY(slow.size() > normal.size());
        const QVector<qint16> again = EspeakSamples(QStringLiteral("Bon dia a tothom"), 0, 0);
        // espeak-ng carries a little state between texts: the length agrees closely.
        QVERIFY(qAbs(again.size() - normal.size()) < normal.size() / 50);
    }

    void aStoppingSinkEndsTheRendering()
    {
        int blocks = 0;
        QVERIFY(!RenderEspeak(QString(2000, QLatin1Char('a')) + QStringLiteral(" fi"), -1, 0,
                              [&](const qint16 *, int) { return ++blocks < 3; }));
        QCOMPARE(blocks, 3);
        // The next rendering is not disturbed.
        QVERIFY(!EspeakSamples(QStringLiteral("hola"), -1, 0).isEmpty());
    }

    void speechDispatcherVoicesLeaveOutEspeakAndVariants()
    {
        const QList<Voice> voices = SpeechDispatcherVoices();
        if (voices.isEmpty())
            QSKIP("speech-dispatcher cannot be reached or offers no voice outside espeak-ng");
        for (const Voice &voice : voices) {
            QVERIFY(!voice.module.startsWith(QLatin1String("espeak")));
            QVERIFY(!voice.identifier.contains(QLatin1Char('+')));
        }
        const QList<Voice> again = SpeechDispatcherVoices();
        QCOMPARE(again.size(), voices.size());
    }
};

QTEST_APPLESS_MAIN(TestVoiceCatalog)
#include "test_voicecatalog.moc"
