// Telling the languages of a 100 000-word classroom document (paragraphs in Catalan,
// Spanish, English and Galician), against 1 s, beside one pass of the dictionaries'
// word splitting over the same text in the same run.
#include "spell/LanguageDetector.h"
#include "spell/SpellWords.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

const char *const kParagraphs[] = {
    "Avui a classe hem llegit un conte sobre un nen que vivia al costat del mar. Després, la mestra ens ha "
    "demanat que escrivíssim què faríem nosaltres si fóssim ell i que ho expliquéssim als companys del grup.",
    "Hoy en clase hemos leído un cuento sobre un niño que vivía junto al mar. Después, la maestra nos ha "
    "pedido que escribiéramos qué haríamos nosotros si fuéramos él y que lo explicáramos a los compañeros.",
    "Today in class we read a story about a boy who lived by the sea. Afterwards, the teacher asked us to "
    "write what we would do if we were him and to explain it to the other pupils of our group.",
    "Hoxe na clase lemos un conto sobre un neno que vivía á beira do mar. Despois, a mestra pediunos que "
    "escribísemos que fariamos nós se fósemos el e que llelo explicásemos aos compañeiros do grupo.",
};

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QString text;
    int words = 0;
    for (int i = 0; words < 100000; ++i) {
        // A number in each paragraph keeps them from being one text repeated.
        const QString paragraph = QString::fromUtf8(kParagraphs[i % 4]) + QStringLiteral(" (%1)\n").arg(i);
        words += WordCount(paragraph);
        text += paragraph;
    }
    QElapsedTimer clock;
    clock.start();
    const LanguageDetector detector;
    const double loading = double(clock.nsecsElapsed()) / 1e6;
    QList<double> detecting, splitting, starting;
    qsizetype runs = 0;
    for (int run = 0; run < 5; ++run) {
        clock.restart();
        runs = LanguageRuns(text, detector).size();
        detecting << double(clock.nsecsElapsed()) / 1e6;
        // What a reading looks at before its first word: some 7 500 characters around its start.
        clock.restart();
        LanguageRuns(QStringView(text).mid(text.size() / 2, 7500), detector);
        starting << double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        const qsizetype spans = WordsToCheck(text).size();
        splitting << double(clock.nsecsElapsed()) / 1e6;
        if (spans == 0)
            return 1;
    }
    std::printf("%d words, %lld characters, %lld language runs; median of 5 runs:\n", words,
                static_cast<long long>(text.size()), static_cast<long long>(runs));
    std::printf("  telling the languages:        %8.1f ms (target: under 1000 ms)\n", Median(detecting));
    std::printf("  one pass of word splitting:   %8.1f ms (yardstick, same text)\n", Median(splitting));
    std::printf("  the stretch a reading starts with (7 500 characters): %.1f ms\n", Median(starting));
    std::printf("  loading the seven dictionaries and fingerprints, once: %.1f ms\n", loading);
    return 0;
}
