#include "spell/LanguageDetector.h"

#include <QTest>

namespace
{
// Ordinary classroom paragraphs, two of each language, the close ones worded alike.
const char *const kCatalan1 = "Avui a classe hem llegit un conte sobre un nen que vivia al costat del mar. "
                              "Després, la mestra ens ha demanat que escrivíssim què faríem nosaltres si fóssim ell.";
const char *const kCatalan2 = "Els alumnes han de portar el llibre de ciències naturals i una llibreta nova "
                              "perquè dijous farem l'experiment de les plantes al pati de l'escola.";
const char *const kSpanish1 = "Hoy en clase hemos leído un cuento sobre un niño que vivía junto al mar. "
                              "Después, la maestra nos ha pedido que escribiéramos qué haríamos nosotros si fuéramos él.";
const char *const kSpanish2 = "Los alumnos tienen que traer el libro de ciencias naturales y una libreta nueva "
                              "porque el jueves haremos el experimento de las plantas en el patio de la escuela.";
const char *const kGalician1 = "Hoxe na clase lemos un conto sobre un neno que vivía á beira do mar. "
                               "Despois, a mestra pediunos que escribísemos que fariamos nós se fósemos el.";
const char *const kGalician2 = "Os alumnos teñen que traer o libro de ciencias naturais e unha libreta nova "
                               "porque o xoves faremos o experimento das plantas no patio da escola.";
const char *const kPortuguese1 = "Hoje na aula lemos um conto sobre um menino que vivia junto ao mar. "
                                 "Depois, a professora pediu-nos que escrevêssemos o que faríamos nós se fôssemos ele.";
const char *const kPortuguese2 = "Os alunos têm de trazer o livro de ciências naturais e um caderno novo "
                                 "porque na quinta-feira vamos fazer a experiência das plantas no pátio da escola.";
const char *const kEnglish1 = "Today in class we read a story about a boy who lived by the sea. "
                              "Afterwards, the teacher asked us to write what we would do if we were him.";
const char *const kEnglish2 = "The pupils have to bring their natural science book and a new notebook "
                              "because on Thursday we will do the plant experiment in the school yard.";
const char *const kFrench1 = "Aujourd'hui en classe nous avons lu une histoire sur un garçon qui vivait au bord de la mer. "
                             "Ensuite, la maîtresse nous a demandé d'écrire ce que nous ferions à sa place.";
const char *const kFrench2 = "Les élèves doivent apporter leur livre de sciences naturelles et un cahier neuf "
                             "parce que jeudi nous ferons l'expérience des plantes dans la cour de l'école.";
const char *const kBasque1 = "Gaur klasean itsaso ondoan bizi zen mutil bati buruzko ipuin bat irakurri dugu. "
                             "Gero, irakasleak bere lekuan egongo bagina zer egingo genukeen idazteko eskatu digu.";
const char *const kBasque2 = "Ikasleek natur zientzien liburua eta koaderno berri bat ekarri behar dituzte, "
                             "ostegunean landareen esperimentua egingo baitugu eskolako patioan.";

const LanguageDetector &Detector()
{
    static const LanguageDetector detector;
    return detector;
}
} // namespace

class TestLanguageDetector : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!Detector().Usable())
            QFAIL(qPrintable(Detector().Problem()));
    }

    void paragraphs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("language");
        const std::pair<const char *, const char *> cases[] = {
            {kCatalan1, "ca"}, {kCatalan2, "ca"}, {kSpanish1, "es"}, {kSpanish2, "es"},
            {kGalician1, "gl"}, {kGalician2, "gl"}, {kPortuguese1, "pt"}, {kPortuguese2, "pt"},
            {kEnglish1, "en"}, {kEnglish2, "en"}, {kFrench1, "fr"}, {kFrench2, "fr"},
            {kBasque1, "eu"}, {kBasque2, "eu"}};
        int row = 0;
        for (const auto &[text, language] : cases)
            QTest::addRow("%s-%d", language, ++row) << QString::fromUtf8(text) << QString::fromLatin1(language);
    }
    // Each language, and the pairs most alike written about the same things.
    void paragraphs()
    {
        QFETCH(QString, text);
        QFETCH(QString, language);
        QCOMPARE(Detector().Detect(text), language);
    }

    // Too few words, or none, cannot be told.
    void nothingToTell()
    {
        QCOMPARE(Detector().Detect(u"Sí."), QString());
        QCOMPARE(Detector().Detect(u"12 + 34 = 46; 3,5 % (x²) → 7/8 == 0.875 !!"), QString());
        QCOMPARE(Detector().Detect(u""), QString());
    }

    // Short paragraphs keep the language around them; a document too short to tell has none.
    void shortParagraphsFollowTheirNeighbours()
    {
        const QString text = QStringLiteral("Títol\n\n%1\nSí.\n%2\nMaria\n")
                                 .arg(QString::fromUtf8(kCatalan1), QString::fromUtf8(kSpanish1));
        const QList<LanguageRun> paragraphs = ParagraphLanguages(text, Detector());
        QStringList languages;
        for (const LanguageRun &paragraph : paragraphs)
            languages << paragraph.language;
        QCOMPARE(languages, (QStringList{"ca", "ca", "ca", "es", "es"}));
        QCOMPARE(text.mid(paragraphs.at(3).start, paragraphs.at(3).length), QString::fromUtf8(kSpanish1));

        const QList<LanguageRun> tooShort = ParagraphLanguages(u"Hola.\nAdéu, Maria.\n", Detector());
        QCOMPARE(tooShort.size(), 2);
        QCOMPARE(tooShort.at(0).language, QString());
        QCOMPARE(tooShort.at(1).language, QString());
    }

    // Runs cover the text without a gap, cut at each change, a long sentence of another
    // language inside a paragraph included.
    void runsCoverTheText()
    {
        const QString text = QStringLiteral("%1\n\n%2\n%3 %4\n")
                                 .arg(QString::fromUtf8(kCatalan1), QString::fromUtf8(kSpanish1),
                                      QString::fromUtf8(kCatalan2), QString::fromUtf8(kEnglish1));
        const QList<LanguageRun> runs = LanguageRuns(text, Detector());
        QStringList languages;
        int reached = 0;
        for (const LanguageRun &run : runs) {
            QCOMPARE(run.start, reached);
            reached += run.length;
            languages << run.language;
        }
        QCOMPARE(reached, int(text.size()));
        QCOMPARE(languages, (QStringList{"ca", "es", "ca", "en"}));
        QVERIFY(text.mid(runs.at(1).start, runs.at(1).length).startsWith(QString::fromUtf8(kSpanish1)));
        QVERIFY(text.mid(runs.at(3).start, runs.at(3).length).startsWith(u"Today"));
    }

    // A mixed paragraph, a long line without a break and symbols alone end with an answer.
    void awkwardText()
    {
        const QString mixed = QStringLiteral("el perro the dog le chien el gos o can o cão txakurra hau da");
        QVERIFY(LanguageDetector::Languages().contains(Detector().Detect(mixed)));
        QString line;
        while (line.size() < 2'000'000)
            line += QString::fromUtf8(kCatalan2) + u' ';
        const QList<LanguageRun> runs = LanguageRuns(line, Detector());
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs.first().language, QStringLiteral("ca"));
        QCOMPARE(runs.first().length, int(line.size()));
        const QList<LanguageRun> symbols = LanguageRuns(u"1234 5678\n+-*/ ===\n", Detector());
        QCOMPARE(symbols.size(), 1);
        QCOMPARE(symbols.first().language, QString());
    }
};

QTEST_GUILESS_MAIN(TestLanguageDetector)
#include "test_languagedetector.moc"
