#include "app/window/TextCommands.h"
#include "core/Command.h"
#include "core/TextEncoding.h"
#include "tolvanet-tool/StreamedCommands.h"
#include "tolvanet-tool/ToolRun.h"

#include <QtTest>

// A document converted a piece at a time must come out byte for byte as the
// whole-document run of the same command writes it, wherever the pieces are cut.
class TestStreamedCommands : public QObject
{
    Q_OBJECT

private slots:
    void onlyCharacterConversionsAreStreamed()
    {
        QVERIFY(StreamedConversionOf("accents-to-html"));
        QVERIFY(StreamedConversionOf("accents-to-unicode"));
        for (const char *id : {"html-to-accents", "unicode-to-accents", "delphi-to-java", "strip-tags", "probe"})
            QVERIFY2(!StreamedConversionOf(id), id);
    }

    void piecesGiveTheWholeDocumentRun_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Windows-1252 with CR LF") << QByteArray("Can\xE7\xF3\r\nA\xE9 \xBF\r\n\xD1");
        QTest::newRow("lone and doubled CRs") << QByteArray("\ra\xE0\r\r\n\r\n\n\r");
        QTest::newRow("Windows-1252 C1 bytes") << QByteArray("\x80\x81\x9F\xFC");
        QTest::newRow("UTF-8") << QByteArray("Can\xC3\xA7\xC3\xB3 \xC2\xBFQu\xC3\xA9?\r\n\xC3\x94");
        QTest::newRow("UTF-8 of four bytes") << QByteArray("\xF0\x9F\x98\x80\xC3\xA9\xF0\x9F\x98\x80\r");
        QTest::newRow("byte order marks") << QByteArray("\xEF\xBB\xBF\xC3\xA9\xEF\xBB\xBF\xEF\xBB\xBFx");
        QTest::newRow("invalid UTF-8") << QByteArray("\xC3\xA9\xC3");
        QTest::newRow("no accent") << QByteArray("plain\r\ntext");
        QTest::newRow("empty") << QByteArray();
    }
    void piecesGiveTheWholeDocumentRun()
    {
        QFETCH(QByteArray, bytes);
        CommandRegistry registry;
        RegisterTextCommands(registry);
        // As the command line reads standard input.
        QString document = TextEncoding::DecodeAuto(bytes);
        document.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        document.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const char *id : {"accents-to-html", "accents-to-unicode"}) {
            ToolOptions options;
            options.command = id;
            const ToolOutcome whole = RunTextCommand(registry, options, document);
            QCOMPARE(whole.exitStatus, 0);
            const QByteArray expected = whole.output.toUtf8();
            for (qsizetype pieceBytes = 1; pieceBytes <= qsizetype(bytes.size()) + 1; ++pieceBytes) {
                QByteArray streamed;
                StreamConversion(bytes, StreamedConversionOf(id),
                                 [&streamed](QByteArrayView piece) { streamed.append(piece); },
                                 pieceBytes);
                QVERIFY2(streamed == expected, qPrintable(QStringLiteral("%1 in pieces of %2").arg(id).arg(pieceBytes)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestStreamedCommands)
#include "test_streamedcommands.moc"
