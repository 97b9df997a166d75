// Telling the languages of a 100 000-word classroom document (paragraphs in Catalan,
// Spanish, English and Galician), against 1 s, beside one pass of the dictionaries'
// word splitting over the same text in the same run. Then, where a sound server with a
// null sink named nullsink runs (test.sh starts one), the time from F7 and from Shift+F7
// to the first sound at the sink in a Catalan and Spanish document, with the voice
// following the language and without it in turn (espeak-ng's voices both ways).
#include "HeardAtTheSink.h"

#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "benchmarks/CNumbers.h"
#include "engines/VoiceCatalog.h"
#include "spell/LanguageDetector.h"
#include "spell/SpellWords.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextCursor>

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

const int kReadings = qEnvironmentVariableIntValue("BENCH_KEYS") > 0 ? qEnvironmentVariableIntValue("BENCH_KEYS") : 20;

// The detection figures; false when the text told nothing.
bool ReportDetection()
{
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
    // What a reading looks at before its first word, some 7 500 characters around its
    // start, the first time: no word of it asked of the dictionaries yet.
    clock.restart();
    LanguageRuns(QStringView(text).mid(text.size() / 2, 7500), detector);
    const double cold = double(clock.nsecsElapsed()) / 1e6;
    QList<double> detecting, splitting, starting;
    qsizetype runs = 0;
    for (int run = 0; run < 5; ++run) {
        clock.restart();
        runs = LanguageRuns(text, detector).size();
        detecting << double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        LanguageRuns(QStringView(text).mid(text.size() / 2, 7500), detector);
        starting << double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        const qsizetype spans = WordsToCheck(text).size();
        splitting << double(clock.nsecsElapsed()) / 1e6;
        if (spans == 0)
            return false;
    }
    std::printf("%d words, %lld characters, %lld language runs; median of 5 runs:\n", words,
                static_cast<long long>(text.size()), static_cast<long long>(runs));
    std::printf("  telling the languages:        %8.1f ms (target: under 1000 ms)\n", Median(detecting));
    std::printf("  one pass of word splitting:   %8.1f ms (yardstick, same text)\n", Median(splitting));
    std::printf("  the stretch a reading starts with (7 500 characters): %.1f ms, the first time %.1f ms\n",
                Median(starting), cold);
    std::printf("  loading the seven dictionaries and fingerprints, once: %.1f ms\n", loading);
    return runs > 0;
}

// The entry of espeak-ng's own voice of a language ("ca", "es").
QString EspeakEntry(const char *language)
{
    for (const VoiceCatalog::Voice &voice : VoiceCatalog::EspeakVoices())
        if (voice.identifier.section(u'/', -1) == QLatin1String(language))
            return voice.description;
    return {};
}

// Some 20 000 characters of Catalan and Spanish paragraphs; from the first on, each
// word of each version carries a tag of that version, so that none of its words has
// been asked of the dictionaries before: the most telling the languages can cost.
QString MixedDocument(int version)
{
    QString tag;
    for (int n = version; n > 0; n /= 26)
        tag += QChar(u'a' + n % 26);
    QString document;
    for (int i = 0; document.size() < 20000; ++i) {
        QString paragraph = QString::fromUtf8(kParagraphs[i % 2]);
        if (version > 0)
            paragraph.replace(QRegularExpression(QStringLiteral("(\\w+)")), QStringLiteral("\\1") + tag);
        document += paragraph + QStringLiteral(" (%1)\n").arg(i);
    }
    return document;
}

constexpr int kOpenings = 15;

// Opening a 100 000-word document from a file in the window, to the document shown and
// its first events handled, with the voice following the language and without it in turn.
void ReportOpening()
{
    QTemporaryDir dir;
    auto windows = HeardAtTheSink::StartEditor(dir, "CANVI DE LLENGUA=NO\r\n");
    if (!windows)
        return;
    QString text;
    for (int i = 0, words = 0; words < 100000; ++i) {
        const QString paragraph = QString::fromUtf8(kParagraphs[i % 4]) + QStringLiteral(" (%1)\n").arg(i);
        words += WordCount(paragraph);
        text += paragraph;
    }
    const QString fileName = dir.filePath(QStringLiteral("classe.txt"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        return;
    file.close();
    QAction *follow = windows->main->ActionFor(WindowCommandId::kFollowLanguage);
    // The dictionaries are read before the first measure.
    follow->setChecked(true);
    QTest::qWait(100);
    QList<double> opening[2]; // [off, on]
    for (int i = 0; i < 2 * kOpenings; ++i) {
        const bool on = i % 2 == 1;
        follow->setChecked(on);
        windows->main->Document().SetModified(false);
        QElapsedTimer clock;
        clock.start();
        if (!windows->main->LoadCommandLineFile(fileName))
            return;
        QCoreApplication::processEvents();
        opening[on ? 1 : 0] << double(clock.nsecsElapsed()) / 1e6;
    }
    windows->main->Document().SetModified(false);
    windows->main->close();
    std::printf("Opening a %lld-character document in the window, median of %d:\n"
                "  the voice following the language: %8.1f ms (target: at most 1.1x one voice)\n"
                "  one voice (yardstick):             %8.1f ms\n",
                static_cast<long long>(text.size()), kOpenings, Median(opening[1]), Median(opening[0]));
}

// F7 and Shift+F7 to the first sound, with the voice following the language and without.
void ReportHeard()
{
    SinkMonitor monitor;
    if (!HeardAtTheSink::Listening(monitor))
        return;
    QTemporaryDir dir;
    // espeak-ng reads both languages, as the chosen voice does without the switch: only
    // what telling the languages costs differs.
    auto windows = HeardAtTheSink::StartEditor(
        dir, "CANVI DE LLENGUA=NO\r\n[Veus per llengua]\r\nca=" + EspeakEntry("ca").toUtf8() + "\r\nes="
                 + EspeakEntry("es").toUtf8() + "\r\n");
    if (!windows)
        return;
    EditorWidget *edit = windows->main->Edit();
    edit->setFocus();
    const QString document = MixedDocument(0);
    edit->setPlainText(document);
    QAction *follow = windows->main->ActionFor(WindowCommandId::kFollowLanguage);
    // The dictionaries are read before the first measure.
    follow->setChecked(true);
    QTest::keyClick(edit, Qt::Key_F7);
    QTest::keyClick(edit, Qt::Key_F11);
    QList<qint64> heard[2][2];  // [F7, Shift+F7][off, on]
    for (int i = 0; i < 4 * kReadings; ++i) {
        const bool on = i % 2 == 0;
        const bool fromCaret = (i / 2) % 2 == 1;
        follow->setChecked(on);
        // A document of words new to the dictionaries each time, as a document opened.
        edit->setPlainText(MixedDocument(i + 1));
        QTextCursor middle(edit->document());
        middle.setPosition(int(document.size() / 2));
        edit->setTextCursor(middle);
        const qint64 ms = HeardAtTheSink::FirstSound(monitor, [&] {
            QTest::keyClick(edit, Qt::Key_F7, fromCaret ? Qt::ShiftModifier : Qt::NoModifier);
        });
        QTest::keyClick(edit, Qt::Key_F11);
        if (ms >= 0)
            heard[fromCaret ? 1 : 0][on ? 1 : 0] << ms;
    }
    windows->main->Document().SetModified(false);
    windows->main->close();
    std::printf("Key to sound at the null sink, a %lld-character Catalan and Spanish document, espeak-ng,\n"
                "each reading in a document of words new to the dictionaries:\n",
                static_cast<long long>(document.size()));
    HeardAtTheSink::Report("F7, the voice following the language", heard[0][1]);
    HeardAtTheSink::Report("F7, one voice (yardstick)", heard[0][0]);
    HeardAtTheSink::Report("Shift+F7 mid-document, the voice following the language", heard[1][1]);
    HeardAtTheSink::Report("Shift+F7 mid-document, one voice (yardstick)", heard[1][0]);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    FiguresInTheCLocale();
    if (!ReportDetection())
        return 1;
    ReportOpening();
    ReportHeard();
    return 0;
}
