#include "export/AudioExportRuns.h"

#include <QTest>

namespace {
const LanguageVoiceChoice kChosen{{VoiceFamily::Msp, 3}, QStringLiteral("Catalan")};
const LanguageVoiceChoice kOna{{VoiceFamily::Upctv, 1}, QStringLiteral("UPCTV - Dona - Català")};
const LanguageVoiceChoice kSpanish{{VoiceFamily::Msp, 7}, QStringLiteral("Spanish (Spain)")};

std::optional<LanguageVoiceChoice> VoiceOf(const QString &language)
{
    if (language == QLatin1String("ca"))
        return kOna;
    if (language == QLatin1String("es"))
        return kSpanish;
    return std::nullopt;
}

VoiceCatalog::SpokenMark Word(qsizetype position, qsizetype length, qint64 ms)
{
    return {VoiceCatalog::SpokenMark::Kind::Word, position, length, ms};
}
} // namespace

// How an export with the voice following the language cuts the text and times the joins.
class TestExportRuns : public QObject
{
    Q_OBJECT

private slots:
    void runsFollowTheVoicesOfTheLanguages()
    {
        // Catalan, a short run told nothing, Spanish, English (no voice), Catalan.
        const QList<LanguageRun> languages{{0, 10, "ca"}, {10, 5, ""}, {15, 20, "es"}, {35, 8, "en"}, {43, 12, "ca"}};
        const QList<ExportRun> runs = VoicedRuns(languages, kChosen, VoiceOf);
        const QList<ExportRun> expected{{0, 10, kOna.voice, kOna.name},
                                        {10, 5, kChosen.voice, kChosen.name},
                                        {15, 20, kSpanish.voice, kSpanish.name},
                                        {35, 8, kChosen.voice, kChosen.name},
                                        {43, 12, kOna.voice, kOna.name}};
        QCOMPARE(runs, expected);
        QVERIFY(RunsCoverText(runs, 55));
        QVERIFY(!RunsCoverText(runs, 56));
        // Neighbours in one voice are one run.
        const QList<ExportRun> joined = VoicedRuns({{0, 10, "ca"}, {10, 5, "en"}, {15, 5, "es"}}, kOna, VoiceOf);
        QCOMPARE(joined, (QList<ExportRun>{{0, 15, kOna.voice, kOna.name}, {15, 5, kSpanish.voice, kSpanish.name}}));
    }

    // One language told, or one voice for all: recorded as without the switch.
    void oneLanguageOrOneVoiceIsNoRuns()
    {
        QVERIFY(VoicedRuns({{0, 10, "ca"}, {10, 5, ""}, {15, 9, "ca"}}, kChosen, VoiceOf).isEmpty());
        QVERIFY(VoicedRuns({{0, 10, "en"}, {10, 5, "fr"}}, kChosen, VoiceOf).isEmpty());
        QVERIFY(VoicedRuns({}, kChosen, VoiceOf).isEmpty());
        // Runs that do not cover the text (those of another text) are not used.
        QVERIFY(!RunsCoverText({{0, 10, kOna.voice, {}}, {12, 5, kSpanish.voice, {}}}, 17));
        QVERIFY(!RunsCoverText({{0, 17, kOna.voice, {}}}, 17));
    }

    // Each recording's marks move by the sound and the spoken text before it; a mark past
    // its recording's end stays within it.
    void wordTimesAreTimedAcrossTheJoins()
    {
        TimedPart first{{{Word(0, 4, 100), Word(5, 3, 600)}, 900}, 1000, 9};
        TimedPart second{{{{VoiceCatalog::SpokenMark::Kind::Sentence, 0, 0, 50}, Word(0, 4, 80), Word(5, 2, 2500)}, 2400},
                         2000, 8};
        const WordTimes joined = JoinWordTimes({first, second});
        QCOMPARE(joined.soundMs, 3000);
        QCOMPARE(joined.marks.size(), 5);
        QCOMPARE(joined.marks.at(1).ms, 600);
        QCOMPARE(joined.marks.at(2).ms, 1050);
        QCOMPARE(joined.marks.at(2).position, 9);
        QCOMPARE(joined.marks.at(3).position, 9);
        QCOMPARE(joined.marks.at(3).ms, 1080);
        QCOMPARE(joined.marks.at(4).position, 14);
        QCOMPARE(joined.marks.at(4).ms, 3000);
    }
};

QTEST_APPLESS_MAIN(TestExportRuns)
#include "test_export_runs.moc"
