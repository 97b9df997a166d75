#include "tests/common/CommandRun.h"
#include "tools/MusicCommands.h"
#include "tools/MusicConverter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Tab = QStringLiteral("\t");

QString Tune(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

// The lines written for the body of a tune: between the head's attributes and the tail.
QStringList BodyLines(const QString &score)
{
    QStringList lines = score.split(QLatin1Char('\n'));
    const qsizetype first = lines.indexOf(QStringLiteral("      </attributes>"));
    const qsizetype last = lines.lastIndexOf(QStringLiteral("    </measure>"));
    if (first < 0 || last < first)
        return {};
    return lines.mid(first + 1, last - first - 1);
}

QStringList BodyOf(const QStringList &body)
{
    const MusicConversion conversion =
        ConvertMusicText(Tune(QStringList{QStringLiteral("Títol"), QStringLiteral("4x4")} + body));
    if (conversion.outcome != MusicConversion::Outcome::Score)
        return {QStringLiteral("no score")};
    return BodyLines(conversion.score);
}

// A note's lines up to its duration, then the given ones.
QStringList Note(const QString &step, const QString &octave, const QString &duration,
                 const QStringList &extra)
{
    QStringList lines{QStringLiteral("      <note>"), QStringLiteral("        <pitch>"),
                      QStringLiteral("          <step>%1</step>").arg(step),
                      QStringLiteral("          <octave>%1</octave>").arg(octave),
                      QStringLiteral("        </pitch>"),
                      QStringLiteral("        <duration>%1</duration>").arg(duration)};
    return lines + extra;
}

} // namespace

class TestMusicConverter : public QObject
{
    Q_OBJECT

private slots:
    void wholeScoreOfAShortTune();
    void notesAndRests_data();
    void notesAndRests();
    void tiesMarkTheNextWrittenNote();
    void beamGroupsAreNumberedWithinTheTune();
    void barLinesNumberTheMeasures();
    void timeSignature_data();
    void timeSignature();
    void writesNothing_data();
    void writesNothing();
    void wrongLineStopsTheRun_data();
    void wrongLineStopsTheRun();
    void titleIsEscapedForXml();
    void commandAppendsTheScore();
    void commandMarksTheWrongLineOnce();
    void scoreIsWellFormedXml();
    void longTuneConverts();
};

void TestMusicConverter::wholeScoreOfAShortTune()
{
    const QString text = Tune({QStringLiteral("Cançó d'Àngel"), QStringLiteral("3x4"),
                               QStringLiteral("do\tn"), QStringLiteral("re\tn"),
                               QStringLiteral("mi\tn")});
    const MusicConversion conversion = ConvertMusicText(text);
    QCOMPARE(conversion.outcome, MusicConversion::Outcome::Score);

    const QStringList expected{
        QString(),
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 2.0 Partwise//EN\""),
        QStringLiteral("  \"http://www.musicxml.org/dtds/partwise.dtd\">"),
        QStringLiteral("<score-partwise version=\"2.0\">"),
        QStringLiteral("  <work>"),
        QStringLiteral("    <work-title></work-title>"),
        QStringLiteral("  </work>"),
        QStringLiteral("  <identification>"),
        QStringLiteral("    <creator type=\"composer\"/>"),
        QStringLiteral("    <creator type=\"lyricist\"/>"),
        QStringLiteral("    <rights/>"),
        QStringLiteral("    <encoding>"),
        QStringLiteral("SOFTWARE"),
        QStringLiteral("      <encoding-date>2015-12-18</encoding-date>"),
        QStringLiteral("      <supports attribute=\"new-system\" element=\"print\" type=\"no\" value=\"no\"/>"),
        QStringLiteral("      <supports attribute=\"new-page\" element=\"print\" type=\"no\" value=\"no\"/>"),
        QStringLiteral("    </encoding>"),
        QStringLiteral("  </identification>"),
        QStringLiteral("  <credit page=\"1\">"),
        QStringLiteral("    <credit-words font-size=\"24\" default-x=\"510\" default-y=\"1260\" "
                       "justify=\"center\" valign=\"top\">Cançó d'Àngel</credit-words>"),
        QStringLiteral("  </credit>"),
        QStringLiteral("  <part-list>"),
        QStringLiteral("    <score-part id=\"P1\">"),
        QStringLiteral("      <part-name></part-name>"),
        QStringLiteral("    </score-part>"),
        QStringLiteral("  </part-list>"),
        QStringLiteral("  <part id=\"P1\">"),
        QStringLiteral("    <measure number=\"1\">"),
        QStringLiteral("      <attributes>"),
        QStringLiteral("        <divisions>64</divisions>"),
        QStringLiteral("        <key>"),
        QStringLiteral("          <fifths>0</fifths>"),
        QStringLiteral("          <mode>major</mode>"),
        QStringLiteral("        </key>"),
        QStringLiteral("        <time print-object=\"yes\">"),
        QStringLiteral("          <beats>3</beats>"),
        QStringLiteral("          <beat-type>4</beat-type>"),
        QStringLiteral("        </time>"),
        QStringLiteral("        <clef number=\"1\">"),
        QStringLiteral("          <sign>G</sign>"),
        QStringLiteral("          <line>2</line>"),
        QStringLiteral("        </clef>"),
        QStringLiteral("      </attributes>"),
    };
    QStringList expectedAll = expected;
    for (const QString &step : {QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("E")})
        expectedAll << Note(step, QStringLiteral("4"), QStringLiteral("64"),
                            {QStringLiteral("        <voice>1</voice>"),
                             QStringLiteral("        <type>quarter</type>"),
                             QStringLiteral("      </note>")});
    expectedAll << QStringLiteral("    </measure>") << QStringLiteral("  </part>")
                << QStringLiteral("</score-partwise>") << QString();

    QStringList actual = conversion.score.split(QLatin1Char('\n'));
    // The software credit is ours to word; its frame is fixed.
    const QString software = actual.value(13);
    QVERIFY(software.startsWith(QStringLiteral("      <software>Tolvanet Corvalida - ")));
    QVERIFY(software.endsWith(QStringLiteral(" - Projecte Quimbo 2016</software>")));
    QCOMPARE(software.count(QStringLiteral(" - ")), 3);
    actual[13] = QStringLiteral("SOFTWARE");
    QCOMPARE(actual, expectedAll);
}

void TestMusicConverter::notesAndRests_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");

    const auto voice = QStringLiteral("        <voice>1</voice>");
    const auto end = QStringLiteral("      </note>");
    const auto dot = QStringLiteral("        <dot/>");
    const auto type = [](const char *name) {
        return QStringLiteral("        <type>%1</type>").arg(QLatin1String(name));
    };
    const auto rest = [&](const char *duration, const char *name) {
        return QStringList{QStringLiteral("      <note>"), QStringLiteral("        <rest/>"),
                           QStringLiteral("        <duration>%1</duration>").arg(QLatin1String(duration)),
                           voice, type(name), end};
    };

    QTest::newRow("dotted half an octave up")
        << QStringLiteral("do4\tb.")
        << Note("C", "5", "192", {voice, type("half"), dot, end});
    QTest::newRow("whole") << QStringLiteral("si\tr")
                           << Note("B", "4", "256", {voice, type("whole"), end});
    QTest::newRow("highest octave") << QStringLiteral("sol8\tsf")
                                    << Note("G", "9", "4", {voice, type("64th"), end});
    QTest::newRow("lowest digit") << QStringLiteral("la0\tsf.")
                                  << Note("A", "1", "6", {voice, type("64th"), dot, end});
    QTest::newRow("sixteenth") << QStringLiteral("fa\tsc.")
                               << Note("F", "4", "24", {voice, type("16th"), dot, end});
    QTest::newRow("thirty-second") << QStringLiteral("mi\tf")
                                   << Note("E", "4", "8", {voice, type("32nd"), end});
    QTest::newRow("eighth") << QStringLiteral("re\tc.")
                            << Note("D", "4", "48", {voice, type("eighth"), dot, end});
    QTest::newRow("unknown duration is written empty")
        << QStringLiteral("do\tx") << Note("C", "4", "", {voice, type(""), end});
    QTest::newRow("further tabs spoil the duration")
        << QStringLiteral("do\tn\tn") << Note("C", "4", "", {voice, type(""), end});
    QTest::newRow("only one octave digit is taken")
        << QStringLiteral("do10\tn") << Note("", "1", "64", {voice, type("quarter"), end});
    QTest::newRow("capital name has no step")
        << QStringLiteral("Do\tn") << Note("", "4", "64", {voice, type("quarter"), end});
    QTest::newRow("rest") << QStringLiteral("\tn") << rest("64", "quarter");
    QTest::newRow("a lone digit is a rest") << QStringLiteral("4\tb") << rest("128", "half");
}

void TestMusicConverter::notesAndRests()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(BodyOf({line}), expected);
}

void TestMusicConverter::tiesMarkTheNextWrittenNote()
{
    const QStringList body = BodyOf({QStringLiteral("bl"), QStringLiteral("sol\tn"),
                                     QStringLiteral("el"), QStringLiteral("sol\tn"),
                                     QStringLiteral("begin ligadura"), QStringLiteral("end ligadura"),
                                     QStringLiteral("\tn"), QStringLiteral("la\tn"),
                                     QStringLiteral("la\tn")});
    QStringList ties;
    for (int i = 0; i < body.size(); ++i)
        if (body.at(i).contains(QStringLiteral("<tie"))) {
            // The tie line stands between duration and voice.
            QVERIFY(body.at(i - 1).contains(QStringLiteral("<duration>")));
            QCOMPARE(body.at(i + 1), QStringLiteral("        <voice>1</voice>"));
            ties << body.at(i).trimmed();
        }
    // Both pending: the start goes to the rest, the stop waits for the next note.
    QCOMPARE(ties, (QStringList{QStringLiteral("<tie type=\"start\"/>"),
                                QStringLiteral("<tie type=\"stop\"/>"),
                                QStringLiteral("<tie type=\"start\"/>"),
                                QStringLiteral("<tie type=\"stop\"/>")}));
    QCOMPARE(body.count(QStringLiteral("        <tie type=\"stop\"/>")), 2);
    QCOMPARE(body.filter(QStringLiteral("<tie")).size(), 4);
}

void TestMusicConverter::beamGroupsAreNumberedWithinTheTune()
{
    const QStringList body = BodyOf({QStringLiteral("bb"), QStringLiteral("do\tc"),
                                     QStringLiteral("\tc"), QStringLiteral("re\tc"),
                                     QStringLiteral("eb"), QStringLiteral("mi\tc"),
                                     QStringLiteral("fa\tn"), QStringLiteral("beguin beam"),
                                     QStringLiteral("do\tc."), QStringLiteral("end beam"),
                                     QStringLiteral("re\tsc")});
    QCOMPARE(body.filter(QStringLiteral("<beam")),
             (QStringList{QStringLiteral("        <beam number=\"1\">begin</beam>"),
                          QStringLiteral("        <beam number=\"1\">continue</beam>"),
                          QStringLiteral("        <beam number=\"1\">end</beam>"),
                          QStringLiteral("        <beam number=\"2\">begin</beam>"),
                          QStringLiteral("        <beam number=\"2\">end</beam>")}));
    // The beam follows type and dot, and closes the note.
    const qsizetype second = body.indexOf(QStringLiteral("        <beam number=\"2\">begin</beam>"));
    QCOMPARE(body.at(second - 1), QStringLiteral("        <dot/>"));
    QCOMPARE(body.at(second - 2), QStringLiteral("        <type>eighth</type>"));
    QCOMPARE(body.at(second + 1), QStringLiteral("      </note>"));
}

void TestMusicConverter::barLinesNumberTheMeasures()
{
    const QStringList barLines = BodyOf({QStringLiteral("do\tr"), QStringLiteral("compas"),
                                         QStringLiteral("re\tr"), QStringLiteral("co"),
                                         QStringLiteral("mi\tr")});
    const QStringList pairs = BodyOf({QStringLiteral("do\tr"), QStringLiteral("end compas"),
                                      QStringLiteral("begin compas"), QStringLiteral("re\tr"),
                                      QStringLiteral("end compas"), QStringLiteral("begin compas"),
                                      QStringLiteral("mi\tr")});
    QCOMPARE(pairs, barLines);
    QCOMPARE(barLines.filter(QStringLiteral("measure")),
             (QStringList{QStringLiteral("    </measure>"),
                          QStringLiteral("    <measure number=\"2\">"),
                          QStringLiteral("    </measure>"),
                          QStringLiteral("    <measure number=\"3\">")}));
}

void TestMusicConverter::timeSignature_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("beats");
    QTest::newRow("2x4") << QStringLiteral("2x4") << QStringLiteral("2");
    QTest::newRow("3x4") << QStringLiteral("3x4") << QStringLiteral("3");
    QTest::newRow("4x4") << QStringLiteral("4x4") << QStringLiteral("4");
    QTest::newRow("other") << QStringLiteral("6x8") << QStringLiteral("4");
    QTest::newRow("trailing blank") << QStringLiteral("2x4 ") << QStringLiteral("4");
}

void TestMusicConverter::timeSignature()
{
    QFETCH(QString, time);
    QFETCH(QString, beats);
    // Each run starts again from 4/4, whatever the previous run wrote.
    ConvertMusicText(Tune({QStringLiteral("t"), QStringLiteral("3x4"), QStringLiteral("do\tn")}));
    const QString score =
        ConvertMusicText(Tune({QStringLiteral("t"), time, QStringLiteral("do\tn")})).score;
    QVERIFY(score.contains(QStringLiteral("\n          <beats>%1</beats>\n"
                                          "          <beat-type>4</beat-type>\n").arg(beats)));
}

void TestMusicConverter::writesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("title only") << QStringLiteral("Títol");
    QTest::newRow("title and time") << QStringLiteral("Títol\n3x4");
    QTest::newRow("title and time with a final break") << QStringLiteral("Títol\n3x4\n");
    QTest::newRow("ends on end compas") << QStringLiteral("t\n4x4\ndo\tn\nend compas");
    QTest::newRow("ends on a tie") << QStringLiteral("t\n4x4\ndo\tn\nbl\n");
    QTest::newRow("keywords only") << QStringLiteral("t\n4x4\nbb\neb");
}

void TestMusicConverter::writesNothing()
{
    QFETCH(QString, text);
    const MusicConversion conversion = ConvertMusicText(text);
    QCOMPARE(conversion.outcome, MusicConversion::Outcome::Nothing);
    QVERIFY(conversion.score.isEmpty());
}

void TestMusicConverter::wrongLineStopsTheRun_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wrongLine");
    QTest::addColumn<QString>("mark");
    const QString note = Tab + WrongNoteMessage();
    const QString measure = Tab + WrongMeasureMessage();
    QTest::newRow("blank instead of tab") << QStringLiteral("t\n4x4\ndo n") << 2 << note;
    QTest::newRow("empty line") << QStringLiteral("t\n4x4\ndo\tn\n\nre\tn") << 3 << note;
    QTest::newRow("keyword in capitals") << QStringLiteral("t\n4x4\nCompas\ndo\tn") << 2 << note;
    QTest::newRow("keyword with a trailing blank")
        << QStringLiteral("t\n4x4\ndo\tn\ncompas \nre\tn") << 3 << note;
    QTest::newRow("first of two wrong lines") << QStringLiteral("t\n4x4\ndo\tn\nre\nmi") << 3 << note;
    QTest::newRow("marked by an earlier run")
        << QStringLiteral("t\n4x4\ndo\tn\nre\t") + WrongNoteMessage() + QStringLiteral("\nmi\tn") << 3
        << QString();
    // Octaves go from 0 to 9.
    QTest::newRow("octave digit 9") << QStringLiteral("t\n4x4\ndo\tn\ndo9\tn") << 3 << note;
    // Measures open and close in turn, so that the score stays well-formed.
    QTest::newRow("two end compas") << QStringLiteral("t\n4x4\ndo\tn\nend compas\nend compas\nre\tn") << 4
                                    << measure;
    QTest::newRow("begin compas never closed")
        << QStringLiteral("t\n4x4\ndo\tn\nbegin compas\nre\tn") << 3 << measure;
    QTest::newRow("bar line after end compas")
        << QStringLiteral("t\n4x4\ndo\tn\nend compas\ncompas\nre\tn") << 4 << measure;
    QTest::newRow("notes outside a measure") << QStringLiteral("t\n4x4\ndo\tn\nend compas\nre\tn") << 4
                                             << measure;
    QTest::newRow("measure line marked by an earlier run")
        << QStringLiteral("t\n4x4\ndo\tn\nbegin compas") + measure + QStringLiteral("\nre\tn") << 3 << QString();
}

void TestMusicConverter::wrongLineStopsTheRun()
{
    QFETCH(QString, text);
    QFETCH(int, wrongLine);
    QFETCH(QString, mark);
    const MusicConversion conversion = ConvertMusicText(text);
    QCOMPARE(conversion.outcome, MusicConversion::Outcome::WrongLine);
    QCOMPARE(conversion.wrongLine, wrongLine);
    QCOMPARE(conversion.mark, mark);
    QVERIFY(conversion.score.isEmpty());
}

void TestMusicConverter::titleIsEscapedForXml()
{
    const QString score =
        ConvertMusicText(QStringLiteral("Do & re <i>mi</i> \"l'àvia\"\n4x4\ndo\tn")).score;
    QVERIFY(score.contains(QStringLiteral(
        "valign=\"top\">Do &amp; re &lt;i&gt;mi&lt;/i&gt; \"l'àvia\"</credit-words>\n")));
}

void TestMusicConverter::commandAppendsTheScore()
{
    CommandRun run(RegisterMusicCommands);
    const QString tune = QStringLiteral("Títol\n2x4\nsol\tn\n");
    run.editor.Replace(0, 0, tune);
    run.editor.Select(3, 2);
    QVERIFY(run.Run(QStringLiteral("music-to-musicxml")));
    const QString text = run.editor.Text();
    QVERIFY(text.startsWith(tune + QStringLiteral("\n<?xml ")));
    QVERIFY(text.endsWith(QStringLiteral("\n</score-partwise>\n")));
    QCOMPARE(text, tune + ConvertMusicText(tune).score);
    QCOMPARE(run.editor.SelStart(), int(text.size()));
    QCOMPARE(run.editor.SelLength(), 0);
    QVERIFY(run.ask.messages.isEmpty());

    // The score written after the text is the text and the score alone, whatever the outcome.
    for (const QString &other : {tune, QStringLiteral("t\n4x4\ndo\tn\nbl"), QStringLiteral("t\n4x4\ndo n\nre\tn")}) {
        const MusicConversion alone = ConvertMusicText(other);
        const MusicConversion after = ConvertMusicText(other, ScoreForm::TextAndScore);
        QVERIFY(after.outcome == alone.outcome);
        QCOMPARE(after.wrongLine, alone.wrongLine);
        QCOMPARE(after.mark, alone.mark);
        if (alone.outcome == MusicConversion::Outcome::Score)
            QCOMPARE(after.score, other + alone.score);
    }

    const Command *command = run.registry.FindByName(QStringLiteral("MenuPassaraMidiXMF"));
    QVERIFY(command);
    QCOMPARE(command->menu, QStringLiteral("MenuUtils"));
    QCOMPARE(command->caption, QStringLiteral("Passar a Midi XMF"));
}

void TestMusicConverter::commandMarksTheWrongLineOnce()
{
    CommandRun run(RegisterMusicCommands);
    const QString tune = QStringLiteral("t\n4x4\ndo\tn\nre n\nmi\tn");
    run.editor.Replace(0, 0, tune);
    QVERIFY(run.Run(QStringLiteral("music-to-musicxml")));
    const QString marked = QStringLiteral("t\n4x4\ndo\tn\nre n\t") + WrongNoteMessage()
                           + QStringLiteral("\nmi\tn");
    QCOMPARE(run.editor.Text(), marked);
    QVERIFY(run.ask.messages.isEmpty());

    // Run again without mending the line: it stays wrong and is not marked twice.
    QVERIFY(run.Run(QStringLiteral("music-to-musicxml")));
    QCOMPARE(run.editor.Text(), marked);

    CommandRun nothing(RegisterMusicCommands);
    nothing.editor.Replace(0, 0, QStringLiteral("t\n4x4\ndo\tn\neb"));
    nothing.editor.SetModified(false);
    QVERIFY(nothing.Run(QStringLiteral("music-to-musicxml")));
    QCOMPARE(nothing.editor.Text(), QStringLiteral("t\n4x4\ndo\tn\neb"));
    QVERIFY(!nothing.editor.Modified());
}

void TestMusicConverter::scoreIsWellFormedXml()
{
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint (libxml2-utils) is not installed");
    const QString tune = Tune({QStringLiteral("Tonada <de> l'àvia & co"), QStringLiteral("3x4"),
                               QStringLiteral("bl"), QStringLiteral("do4\tn."), QStringLiteral("el"),
                               QStringLiteral("do4\tc"), QStringLiteral("compas"),
                               QStringLiteral("bb"), QStringLiteral("mi\tc"), QStringLiteral("\tc"),
                               QStringLiteral("eb"), QStringLiteral("sol3\tc"),
                               QStringLiteral("la\tn"), QStringLiteral("end compas"),
                               QStringLiteral("begin compas"), QStringLiteral("si\tb.")});
    const MusicConversion conversion = ConvertMusicText(tune);
    QCOMPARE(conversion.outcome, MusicConversion::Outcome::Score);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("score.musicxml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    // The block begins with the break that separates it from the tune.
    file.write(conversion.score.mid(1).toUtf8());
    file.close();

    QProcess lint;
    // --nonet: the document type names an address that is never fetched.
    lint.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--nonet"), file.fileName()});
    QVERIFY(lint.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(lint.readAllStandardError()), QString());
    QCOMPARE(lint.exitCode(), 0);
}

void TestMusicConverter::longTuneConverts()
{
    QString tune = QStringLiteral("t\n4x4\n");
    for (int i = 0; i < 100000; ++i)
        tune += (i % 5 == 4) ? QStringLiteral("co\n") : QStringLiteral("sol%1\tc.\n").arg(i % 9);
    tune += QStringLiteral("do\tn");
    const MusicConversion conversion = ConvertMusicText(tune);
    QCOMPARE(conversion.outcome, MusicConversion::Outcome::Score);
    QCOMPARE(conversion.score.count(QStringLiteral("<note>")), 80001);
    QVERIFY(conversion.score.contains(QStringLiteral("<measure number=\"20001\">")));
}

QTEST_APPLESS_MAIN(TestMusicConverter)
#include "test_music_converter.moc"
