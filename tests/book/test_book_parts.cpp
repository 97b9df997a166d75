#include "book/Audiobook.h"
#include "book/BookChapters.h"
#include "book/BookEncoders.h"
#include "book/EpubBook.h"
#include "tests/common/FaultyFiles.h"
#include "tests/common/SoundTools.h"
#include "tests/common/EpubCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Kind = VoiceCatalog::SpokenMark::Kind;

BookChapter ChapterOf(const QStringList &paragraphs)
{
    BookChapter chapter;
    chapter.title = paragraphs.value(0);
    for (const QString &text : paragraphs)
        chapter.paragraphs.append({text, false});
    return chapter;
}

// A word mark for every run between blanks of the chapter's text, stepMs apart.
WordTimes EveryWordTimed(const QString &text, qint64 stepMs)
{
    WordTimes times;
    qint64 ms = 100;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isSpace() && (i == 0 || text.at(i - 1).isSpace())) {
            times.marks.append({Kind::Word, i, 1, ms});
            ms += stepMs;
        }
    }
    times.soundMs = ms + 200;
    return times;
}

// The sentences' texts, for comparing.
QStringList Texts(const BookChapter &chapter, const QList<BookSentence> &sentences)
{
    QStringList texts;
    for (const BookSentence &s : sentences)
        texts << chapter.paragraphs.at(s.paragraph).text.mid(s.start, s.end - s.start);
    return texts;
}

// Every sentence follows the one before without a gap, from 0 to the end of the sound.
QString TilingProblem(const QList<BookSentence> &sentences, qint64 soundMs)
{
    if (sentences.isEmpty())
        return QStringLiteral("no sentences");
    if (sentences.first().beginMs != 0 || sentences.last().endMs != soundMs)
        return QStringLiteral("from %1 to %2").arg(sentences.first().beginMs).arg(sentences.last().endMs);
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        if (sentences.at(i).endMs < sentences.at(i).beginMs)
            return QStringLiteral("sentence %1 ends before it begins").arg(i);
        if (i > 0 && sentences.at(i).beginMs != sentences.at(i - 1).endMs)
            return QStringLiteral("gap before sentence %1").arg(i);
    }
    return QString();
}

} // namespace

class TestBookParts : public QObject
{
    Q_OBJECT

private slots:
    void headingsAreShortLinesAloneOrNumberedChapters()
    {
        QVERIFY(IsHeadingLine(QStringLiteral("Capítol 3"), false, false));
        QVERIFY(IsHeadingLine(QStringLiteral("Capítulo 12: la tormenta."), false, false));
        QVERIFY(IsHeadingLine(QStringLiteral("CHAPTER IV"), false, false));
        QVERIFY(IsHeadingLine(QStringLiteral("Unitat 2. Les plantes"), false, true));
        QVERIFY(IsHeadingLine(QStringLiteral("Els rius de Catalunya"), true, true));
        // Not alone, a sentence, too long, or no words at all.
        QVERIFY(!IsHeadingLine(QStringLiteral("Els rius de Catalunya"), true, false));
        QVERIFY(!IsHeadingLine(QStringLiteral("Tots hi van."), true, true));
        QVERIFY(!IsHeadingLine(QStringLiteral("Que hi vas?"), true, true));
        QVERIFY(!IsHeadingLine(QString(80, QLatin1Char('a')), true, true));
        QVERIFY(!IsHeadingLine(QStringLiteral("1999 - 2024"), true, true));
        QVERIFY(!IsHeadingLine(QStringLiteral("Temari"), false, false));
        QVERIFY(!IsHeadingLine(QStringLiteral("Tema sense número"), false, false));
    }

    void chaptersBeginAtHeadingsOrEveryTwentyParagraphs()
    {
        const QList<BookChapter> book = ChaptersOf(
            QStringLiteral("Pròleg breu de l'autor, que no és cap títol.\n\nCapítol 1\nHi havia una vegada.\n"
                           "Un gat.\n\n\nEl final\n\nI prou.\n"),
            QStringLiteral("conte"));
        QCOMPARE(book.size(), 3);
        QCOMPARE(book.at(0).title, QStringLiteral("conte"));
        QCOMPARE(book.at(1).title, QStringLiteral("Capítol 1"));
        QCOMPARE(book.at(1).paragraphs.size(), 3);
        QVERIFY(book.at(1).paragraphs.at(0).heading);
        QCOMPARE(book.at(2).title, QStringLiteral("El final"));
        QCOMPARE(BookTitleOf(book, QStringLiteral("conte")), QStringLiteral("Capítol 1"));
        QCOMPARE(ChapterText(book.at(2)), QStringLiteral("El final\n\nI prou."));

        QString plain;
        for (int i = 1; i <= 45; ++i)
            plain += QStringLiteral("Aquest és el paràgraf número %1, que té prou paraules per no ser cap títol.\n").arg(i);
        const QList<BookChapter> parts = ChaptersOf(plain, QStringLiteral("apunts"));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.at(2).paragraphs.size(), 5);
        QVERIFY(parts.at(1).title.startsWith(QStringLiteral("Aquest és el paràgraf número 21")));
        QCOMPARE(BookTitleOf(parts, QStringLiteral("apunts")), QStringLiteral("apunts"));

        QVERIFY(ChaptersOf(QStringLiteral("\n  \n\t\n"), QStringLiteral("buit")).isEmpty());
    }

    void aVeryLongHeadingStaysWholeInTheTextButShortInTheContents()
    {
        const QString heading = QStringLiteral("Capítol 1 ") + QStringLiteral("paraula ").repeated(625);
        const QList<BookChapter> book = ChaptersOf(heading + QStringLiteral("\n\nText."), QStringLiteral("x"));
        QCOMPARE(book.size(), 1);
        QVERIFY(book.at(0).title.size() <= kLongestChapterTitle + 1);
        QCOMPARE(book.at(0).paragraphs.at(0).text, heading.trimmed());
    }

    void sentencesBeginWhenTheirFirstWordIsHeard()
    {
        const BookChapter chapter = ChapterOf({QStringLiteral("Capítol 1"),
                                               QStringLiteral("Un dos tres. Quatre cinc! Sis?")});
        const QString text = ChapterText(chapter);
        const WordTimes times = EveryWordTimed(text, 300);
        const QList<BookSentence> sentences = TimeChapterSentences(chapter, text, times, times.soundMs);
        QCOMPARE(Texts(chapter, sentences), (QStringList{QStringLiteral("Capítol 1"), QStringLiteral("Un dos tres."),
                                                         QStringLiteral("Quatre cinc!"), QStringLiteral("Sis?")}));
        QCOMPARE(TilingProblem(sentences, times.soundMs), QString());
        // Words 0-1 the heading, 2-4 the first sentence, 5-6 the second, 7 the third.
        QCOMPARE(sentences.at(1).beginMs, 100 + 2 * 300);
        QCOMPARE(sentences.at(2).beginMs, 100 + 5 * 300);
        QCOMPARE(sentences.at(3).beginMs, 100 + 7 * 300);

        // The dictionary said "Capítol" as two words: the document's words still take the
        // spoken words' times in turn.
        const QString spoken = QStringLiteral("Capí tol 1\n\nUn dos tres. Quatre cinc! Sis?");
        const WordTimes spokenTimes = EveryWordTimed(spoken, 300);
        const QList<BookSentence> respoken = TimeChapterSentences(chapter, spoken, spokenTimes, spokenTimes.soundMs);
        QCOMPARE(respoken.size(), 4);
        QCOMPARE(TilingProblem(respoken, spokenTimes.soundMs), QString());
        QVERIFY(respoken.at(3).beginMs > respoken.at(2).beginMs);
    }

    void withoutWordsTheVoicesSentenceMarksOrTheTextsShareTimeIt()
    {
        const BookChapter chapter = ChapterOf({QStringLiteral("Primera frase llarga. Segona. Tercera frase.")});
        const QString text = ChapterText(chapter);
        WordTimes sentencesOnly;
        sentencesOnly.marks = {{Kind::Sentence, 0, 0, 50}, {Kind::Sentence, 22, 0, 1500}, {Kind::Sentence, 30, 0, 2100}};
        sentencesOnly.soundMs = 3000;
        const QList<BookSentence> marked = TimeChapterSentences(chapter, text, sentencesOnly, 3000);
        QCOMPARE(marked.size(), 3);
        QCOMPARE(marked.at(1).beginMs, 1500);
        QCOMPARE(marked.at(2).beginMs, 2100);
        QCOMPARE(TilingProblem(marked, 3000), QString());

        const QList<BookSentence> shared = TimeChapterSentences(chapter, text, WordTimes{{}, 4400}, 4400);
        QCOMPARE(shared.size(), 3);
        QCOMPARE(TilingProblem(shared, 4400), QString());
        QCOMPARE(shared.at(1).beginMs, 4400 * 22 / text.size());
    }

    void aHugeLineIsSplitIntoItsSentences()
    {
        // A whole book on one line: each sentence is a clip of its own, never one for all.
        const QString sentence = QStringLiteral("La frase d'un llibre sense salts de línia. ");
        // Five megabytes stand for fifty: the splitting takes time in proportion.
        const qsizetype count = 5 * 1024 * 1024 / sentence.size();
        const QList<BookChapter> book = ChaptersOf(sentence.repeated(count), QStringLiteral("llibre"));
        QCOMPARE(book.size(), 1);
        const QList<BookSentence> sentences =
            TimeChapterSentences(book.at(0), ChapterText(book.at(0)), WordTimes{{}, count * 2000}, count * 2000);
        QCOMPARE(sentences.size(), count);
        QCOMPARE(TilingProblem(sentences, count * 2000), QString());
    }

    void xmlTextLeavesOutWhatXmlAndPagesForbid()
    {
        const QString text = QStringLiteral("a\u0001b\tc\u0085d\uFFFEe\U0001F600f") + QChar(0xD800) + QStringLiteral("g");
        QCOMPARE(XmlSafeText(text), QStringLiteral("ab\tcde\U0001F600fg"));
        QCOMPARE(ClockValue(3723004), QStringLiteral("1:02:03.004"));
    }

    // Stand-ins for lame and ffmpeg: the shell copies its input to its output, or fails
    // saying why, or never ends.
    static BookEncoders::Job ShellJob(const QString &script, const QString &input, const QString &output)
    {
        return {QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, QStringLiteral("sh"), input, output}, input,
                output, 1000};
    }

    void encodersEncodeEveryChapterSideBySideAndStopAtTheFirstFailure()
    {
        QTemporaryDir dir;
        const auto path = [&dir](const QString &name) { return dir.filePath(name); };
        for (int i = 1; i <= 5; ++i)
            QVERIFY(SoundTools::Write(path(QStringLiteral("%1.wav").arg(i)), QByteArray("sound ") + QByteArray::number(i)));
        {
            BookEncoders encoders(2, 1);
            QCOMPARE(encoders.AtOnce(), 2);
            for (int i = 1; i <= 5; ++i) {
                QVERIFY(encoders.WaitForRoom(2));
                encoders.Add(ShellJob(QStringLiteral("cp \"$1\" \"$2\""), path(QStringLiteral("%1.wav").arg(i)),
                                      path(QStringLiteral("%1.mp3").arg(i))));
            }
            QVERIFY(encoders.WaitForAll());
            QVERIFY(encoders.Problem().isEmpty());
        }
        for (int i = 1; i <= 5; ++i) {
            // Each encoded whole, and its recording gone once encoded.
            QCOMPARE(SoundTools::Contents(path(QStringLiteral("%1.mp3").arg(i))),
                     QByteArray("sound ") + QByteArray::number(i));
            QVERIFY(!QFile::exists(path(QStringLiteral("%1.wav").arg(i))));
        }

        // A failing encoder ends the others and says why, in the interface language
        // (Spanish here), in its own last words.
        QVERIFY(QDir(dir.path()).removeRecursively() && QDir().mkpath(dir.path()));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(SoundTools::Write(path(QStringLiteral("%1.wav").arg(i)), "sound"));
        BookEncoders encoders(2, 1);
        encoders.Add(ShellJob(QStringLiteral("sleep 30; cp \"$1\" \"$2\""), path(QStringLiteral("1.wav")),
                              path(QStringLiteral("1.mp3"))));
        encoders.Add(ShellJob(QStringLiteral("echo 'Warning: progress'; echo 'Could not read input' >&2; exit 1"),
                              path(QStringLiteral("2.wav")), path(QStringLiteral("2.mp3"))));
        encoders.Add(ShellJob(QStringLiteral("cp \"$1\" \"$2\""), path(QStringLiteral("3.wav")),
                              path(QStringLiteral("3.mp3"))));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!encoders.WaitForAll());
        QVERIFY2(clock.elapsed() < 20000, "the sleeping encoder was not ended");
        QCOMPARE(encoders.Problem(), QStringLiteral("El programa sh ha fallado (Could not read input)."));
        // Nothing half made is left, nor the recordings that waited.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        // A program that cannot start is a failure too, not an encoded chapter.
        QVERIFY(SoundTools::Write(path(QStringLiteral("4.wav")), "sound"));
        BookEncoders missing(1, 5);
        missing.Add({dir.filePath(QStringLiteral("no-such-encoder")), {}, path(QStringLiteral("4.wav")),
                     path(QStringLiteral("4.mp3")), 1000});
        QVERIFY(!missing.WaitForAll());
        QVERIFY2(missing.Problem().startsWith(QStringLiteral("The program no-such-encoder failed")),
                 qPrintable(missing.Problem()));
    }

    void anAudiobooksChapterMarksFollowTheEncodedFrames()
    {
        // Each chapter encoded on its own lasts its sound rounded up to whole frames of
        // 1024 samples, and one frame more: the marks of later chapters never drift.
        QCOMPARE(Audiobook::EncodedChapterMs(22050, 22050), qint64((22 + 1) * 1024 * 1000 / 22050));
        QCOMPARE(Audiobook::EncodedChapterMs(1024, 22050), qint64(2 * 1024 * 1000 / 22050));
        QCOMPARE(Audiobook::EncodedChapterMs(1025, 22050), qint64(3 * 1024 * 1000 / 22050));
        QCOMPARE(Audiobook::EncodedChapterMs(100, 0), qint64(0));
    }

    void anAudiobooksMetadataKeepsItsTitlesLiterally()
    {
        const QList<Audiobook::Chapter> chapters{{QStringLiteral("Tema 1: a=b; c#d\\e"), QStringLiteral("/x/1.wav"), 1500},
                                                 {QStringLiteral("Tema 2"), QStringLiteral("/x/it's.wav"), 2500}};
        const QByteArray metadata = Audiobook::MetadataFile(QStringLiteral("Llibre"), QStringLiteral("Veu"), chapters);
        QVERIFY(metadata.startsWith(";FFMETADATA1\n"));
        QVERIFY(metadata.contains("title=Tema 1: a\\=b\\; c\\#d\\\\e\n"));
        QVERIFY(metadata.contains("START=1500\nEND=4000\ntitle=Tema 2\n"));
        QVERIFY(Audiobook::ConcatList(chapters).contains("file '/x/it'\\''s.wav'\n"));
    }

    // Each paragraph takes the language of the stretch its first letter is in, as places
    // in the chapter's text; a stretch whose language could not be told gives none.
    void paragraphsTakeTheLanguageOfTheirStretch()
    {
        QList<BookChapter> chapters = ChaptersOf(QStringLiteral("Un.\nDos.\nTres."), QStringLiteral("x"));
        QCOMPARE(chapters.size(), 1);
        BookChapter &chapter = chapters[0];
        QCOMPARE(ChapterText(chapter), QStringLiteral("Un.\n\nDos.\n\nTres."));
        SetParagraphLanguages(chapter, {{0, 3, QStringLiteral("ca")}, {5, 4, QStringLiteral("und")},
                                        {11, 5, QStringLiteral("es")}});
        QCOMPARE(chapter.paragraphs.at(0).language, QStringLiteral("ca"));
        QVERIFY(chapter.paragraphs.at(1).language.isEmpty());
        QCOMPARE(chapter.paragraphs.at(2).language, QStringLiteral("es"));
        SetParagraphLanguages(chapter, {});
        QVERIFY(chapter.paragraphs.at(2).language.isEmpty());
    }

    void aBookOfHostileTextPassesTheValidator()
    {
        if (!EpubCheck::Available())
            QFAIL("epubcheck is missing: scripts/install-deps.sh --tests installs it");
        QTemporaryDir dir;
        EpubBook book(dir.filePath(QStringLiteral("parts")), QStringLiteral("Llibre <de> proves & \u0001"),
                      QStringLiteral("ca"), QStringLiteral("Catalan"));
        const QList<BookChapter> chapters = ChaptersOf(
            QStringLiteral("Capítol 1 <i>cursiva</i> & ]]>\n\nText amb \u0002 control, \uFFFF i \u0085. "
                           "Segona frase <amb> & signes ]]> fi.\n\n\u0001\u0003\n\nCapítol 2 ") + QString(5000, QLatin1Char('x')),
            QStringLiteral("proves"));
        QCOMPARE(chapters.size(), 2);
        for (int i = 0; i < chapters.size(); ++i) {
            QVERIFY(EpubCheck::MakeMp3(book.AudioPath(i + 1), 2));
            const QString text = ChapterText(chapters.at(i));
            const QList<BookSentence> sentences = TimeChapterSentences(chapters.at(i), text, WordTimes{{}, 2000}, 2000);
            QString error;
            // The first chapter's words have elements of their own, as a voice that reports words gives.
            QVERIFY2(book.AddChapter(chapters.at(i), sentences, 2000, &error,
                                     i == 0 ? EpubBook::Marking::SentencesAndWords : EpubBook::Marking::Sentences),
                     qPrintable(error));
        }
        const QString epub = dir.filePath(QStringLiteral("proves.epub"));
        QString error;
        QVERIFY2(book.Pack(epub, &error), qPrintable(error));
        const QString report = EpubCheck::Problems(epub);
        QVERIFY2(report.isEmpty(), qPrintable(report));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("proves.epub")});
    }

    void aFullDiskKeepsTheOlderBook()
    {
        SmallDisk disk(QDir::tempPath() + QStringLiteral("/tolvanet-book-disk-%1").arg(QCoreApplication::applicationPid()),
                       QStringLiteral("256k"));
        if (!disk.Mounted())
            QSKIP("only root can mount a small disk");
        QTemporaryDir dir;
        EpubBook book(dir.filePath(QStringLiteral("parts")), QStringLiteral("Llibre"), QStringLiteral("ca"), QString());
        const BookChapter chapter = ChapterOf({QStringLiteral("Una frase.")});
        QVERIFY(EpubCheck::MakeMp3(book.AudioPath(1), 120));
        QString error;
        QVERIFY(book.AddChapter(chapter, TimeChapterSentences(chapter, ChapterText(chapter), WordTimes{{}, 1000}, 1000),
                                1000, &error));
        const QString epub = disk.FilePath(QStringLiteral("llibre.epub"));
        QVERIFY(SoundTools::Write(epub, "the older book"));
        disk.Fill();
        QVERIFY(!book.Pack(epub, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(SoundTools::Contents(epub), QByteArray("the older book"));
        QStringList left = QDir(disk.FilePath(QString())).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(QStringLiteral("filler"));
        QCOMPARE(left, QStringList{QStringLiteral("llibre.epub")});
    }
};

QTEST_GUILESS_MAIN(TestBookParts)
#include "test_book_parts.moc"
