#include "core/Syllables.h"

#include <QTest>

class SyllablesTest : public QObject
{
    Q_OBJECT
private slots:
    void wordsArePartedAsSchoolsTeachThem_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marked");
        // Catalan: digraphs kept, l·l parted at its dot, qu/gu, diphthongs and hiatus.
        QTest::newRow("ca single letters") << "ca" << "amic ahir escola" << "a-mic a-hir es-co-la";
        QTest::newRow("ca digraphs") << "ca" << "muntanya cavall guerra passar cotxe rellotge"
                                     << "mun-ta-nya ca-vall guer-ra pas-sar cot-xe re-llot-ge";
        QTest::newRow("ca l·l") << "ca" << "col·legi il·lusió" << "col·le-gi il·lu-si-ó";
        QTest::newRow("ca qu gu") << "ca" << "quatre aquell pingüí qüestió aigua"
                                  << "qua-tre a-quell pin-güí qües-ti-ó ai-gua";
        QTest::newRow("ca diphthongs") << "ca" << "cuina lliure ploure paraigua caixa Déu"
                                       << "cui-na lliu-re plou-re pa-rai-gua cai-xa Déu";
        QTest::newRow("ca hiatus") << "ca" << "poesia història teatre país veïna aeroport"
                                   << "po-e-si-a his-tò-ri-a te-a-tre pa-ís ve-ï-na a-e-ro-port";
        QTest::newRow("ca glides") << "ca" << "noia feia veuen iogurt hiena"
                                   << "no-ia fe-ia ve-uen io-gurt hie-na";
        QTest::newRow("ca apostrophe and hyphen") << "ca" << "l'escola, porta-ho!" << "l'es-co-la, por-ta-ho!";
        QTest::newRow("ca capitals") << "ca" << "CASA Barcelona" << "CA-SA Bar-ce-lo-na";
        // Spanish: rr, ll and ch stay, weak vowels glide, two strong ones part.
        QTest::newRow("es consonants") << "es" << "perro calle chocolate transporte instrumento atlas"
                                       << "pe-rro ca-lle cho-co-la-te trans-por-te ins-tru-men-to at-las";
        QTest::newRow("es single letters") << "es" << "amigo ahora océano" << "a-mi-go a-ho-ra o-cé-a-no";
        QTest::newRow("es diphthongs") << "es" << "ciudad huevo cuidado agua buey"
                                       << "ciu-dad hue-vo cui-da-do a-gua buey";
        QTest::newRow("es hiatus") << "es" << "aéreo poesía mío país reír Raúl"
                                   << "a-é-re-o po-e-sí-a mí-o pa-ís re-ír Ra-úl";
        QTest::newRow("es qu gu") << "es" << "queso guerra pingüino lingüística"
                                  << "que-so gue-rra pin-güi-no lin-güís-ti-ca";
        // Other languages follow their patterns.
        QTest::newRow("fr") << "fr" << "maison" << "mai-son";
    }
    void wordsArePartedAsSchoolsTeachThem()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, marked);
        SyllableSplitter splitter(language);
        QVERIFY2(splitter.Usable(), qPrintable(splitter.Problem()));
        QCOMPARE(splitter.Marked(text), marked);
    }

    // Letters beyond Latin, marks, emoji and very long words keep every character and come
    // back at once.
    void unusualTextKeepsItsCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marked");
        QTest::newRow("combining accent") << QStringLiteral("cafe\u0301s casa") << QStringLiteral("ca-fe\u0301s ca-sa");
        QTest::newRow("emoji between words") << QStringLiteral("casa😀taula 👍🏽") << QStringLiteral("ca-sa😀tau-la 👍🏽");
        QTest::newRow("right to left") << QStringLiteral("שלום עליכם سلام") << QStringLiteral("שלום עליכם سلام");
        QTest::newRow("no vowels") << "pst brrr 123" << "pst brrr 123";
        QTest::newRow("lonely dot") << "l·" << "l·";
    }
    void unusualTextKeepsItsCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, marked);
        SyllableSplitter splitter(QStringLiteral("ca"));
        QCOMPARE(splitter.Marked(text), marked);
    }

    void longWordIsPartedWhole()
    {
        SyllableSplitter splitter(QStringLiteral("es"));
        QString word;
        for (int i = 0; i < 125; ++i)
            word += QStringLiteral("pata");
        QCOMPARE(word.size(), 500);
        const QStringList syllables = splitter.Syllables(word);
        QCOMPARE(syllables.size(), 250);
        QCOMPARE(syllables.join(QString()), word);
        QCOMPARE(syllables.first(), QStringLiteral("pa"));
    }

    void wordsOfATextAreFound()
    {
        const QString text = QStringLiteral("L'any 2024, col·legi i porta-ho.");
        QList<TextWord> expected{{0, 1}, {2, 3}, {12, 8}, {21, 1}, {23, 5}, {29, 2}};
        QCOMPARE(WordsForSyllables(text), expected);
    }

    void languageWithoutPatternsIsSaid()
    {
        SyllableSplitter none(QStringLiteral("xx"));
        QVERIFY(!none.Usable());
        QVERIFY(none.Problem().contains(QLatin1String("hyphen-xx")));
        SyllableSplitter region(QStringLiteral("es_MX.UTF-8"));
        QVERIFY(region.Usable());
        QCOMPARE(region.Language(), QStringLiteral("es"));
    }
};

QTEST_APPLESS_MAIN(SyllablesTest)
#include "test_syllables.moc"
