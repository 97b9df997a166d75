#include "speech/SpeakPreparation.h"

#include <QtTest>

using namespace SpeakPreparation;

class TestSpeakPreparation : public QObject
{
    Q_OBJECT

private slots:
    void soundFileKind_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::newRow("wave") << "gat.wav" << int(SoundFile::Wave);
        QTest::newRow("mixed case") << "x.wAV" << int(SoundFile::Wave);
        QTest::newRow("mp3") << "so.Mp3" << int(SoundFile::Mp3);
        QTest::newRow("just the extension") << ".MP3" << int(SoundFile::Mp3);
        QTest::newRow("three letters") << "wav" << int(SoundFile::None);
        QTest::newRow("trailing blank") << "gat.wav " << int(SoundFile::None);
        QTest::newRow("empty") << "" << int(SoundFile::None);
    }
    void soundFileKind()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QCOMPARE(int(SoundFileKind(text)), kind);
    }

    void soundFolderIsTheDictionaryFolder()
    {
        QCOMPARE(SoundFolder(QString()), QString());
        QCOMPARE(SoundFolder(QStringLiteral("/home/a/dic.txt")), QStringLiteral("/home/a/"));
        QCOMPARE(SoundFolder(QStringLiteral("dic.txt")), QString());
    }

    void upctvTextIsWindows1252WithABlank()
    {
        QCOMPARE(UpctvText(QStringLiteral("Hola Món.")), QStringLiteral("hola món. "));
        QCOMPARE(UpctvText(QStringLiteral("ÀÉ")), QStringLiteral("ÀÉ "));
        QCOMPARE(UpctvBytes(QStringLiteral("Món €")), QByteArray("M\xf3n \x80"));
        QCOMPARE(UpctvBytes(QStringLiteral("a\u4e2d\U0001F600b")), QByteArray("a??b"));
        QCOMPARE(UpctvBytes(QString::fromUtf16(u"ab\0cd", 5)), QByteArray("ab"));
    }
};

QTEST_APPLESS_MAIN(TestSpeakPreparation)
#include "test_speakpreparation.moc"
