#include "tools/AccentConversions.h"
#include "tools/HtmlConversions.h"

#include <QTest>

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void accentsToEntities_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("Catalan") << "Això és només una lliçó" << "Aix&ograve; &eacute;s nom&eacute;s una lli&ccedil;&oacute;";
        QTest::newRow("Spanish") << "¿Año?" << "&iquest;A&ntilde;o?";
        QTest::newRow("outside the table") << "âý€" << "âý€";
        QTest::newRow("circumflex") << "ôÔêÊ" << "&ocirc;&Ocirc;&ecirc;&Ecirc;";
    }

    void accentsToEntities()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(AccentsToHtml(text).text, html);
    }

    void entitiesToAccents_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("known") << "&iquest;Ca&ntilde;&oacute;n?" << "¿Cañón?";
        QTest::newRow("other case stays") << "&AACUTE; &Aacute;" << "&AACUTE; Á";
        QTest::newRow("o circumflex stays") << "&ocirc;&Ocirc;&ecirc;" << "&ocirc;&Ocirc;ê";
        QTest::newRow("broken entities") << "&&aacute;; &aacute &amp;" << "&á; &aacute &amp;";
    }

    void entitiesToAccents()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QCOMPARE(HtmlToAccents(html).text, text);
    }

    void entityRoundTripKeepsTheText()
    {
        const QString text = QStringLiteral("áàÁÀéèÉÈíìÍÌóòÓÒúùÚÙçÇäÄëËïÏöÖüÜñÑ¿Êê x\n");
        QCOMPARE(HtmlToAccents(AccentsToHtml(text).text).text, text);
        QCOMPARE(HtmlToAccents(AccentsToHtml(QStringLiteral("ô")).text).text, QStringLiteral("&ocirc;"));
    }

    void unicodeEscapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("java");
        QTest::newRow("letters") << "Ñandú güell" << "\\u00d1and\\u00fa g\\u00fcell";
        QTest::newRow("outside the table") << "ä ö ¿" << "ä ö ¿";
    }

    void unicodeEscapes()
    {
        QFETCH(QString, text);
        QFETCH(QString, java);
        QCOMPARE(AccentsToUnicode(text).text, java);
        QCOMPARE(UnicodeToAccents(java).text, text);
    }

    void upperCaseEscapesStay()
    {
        QCOMPARE(UnicodeToAccents(QStringLiteral("\\u00E9 \\U00e9 \\u00e4 \\u00e")).text,
                 QStringLiteral("\\u00E9 \\U00e9 \\u00e4 \\u00e"));
    }

    // The caret ends after the last replacement of the table's last row, else at the start.
    void caretAfterTheLastRow()
    {
        QCOMPARE(AccentsToHtml(QStringLiteral("Ôa Ôb é")).selStart, int(QStringLiteral("&Ocirc;a &Ocirc;").size()));
        QCOMPARE(AccentsToHtml(QStringLiteral("ab é")).selStart, 0);
        QCOMPARE(HtmlToAccents(QStringLiteral("&ecirc;x&aacute;")).selStart, 1);
        QCOMPARE(UnicodeToAccents(QStringLiteral("a\\u00d1b")).selStart, 2);
        QCOMPARE(AccentsToUnicode(QStringLiteral("Ñ")).selStart, 6);
    }

    void wordCleanUp_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("clean");
        QTest::newRow("non-breaking space") << "a&nbsp;b" << "ab";
        QTest::newRow("justified paragraph") << "<P ALIGN=\"JUSTIFY\">text</P>" << "text<BR>";
        QTest::newRow("head")
            << "<HEAD>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\n"
               "<META NAME=\"Generator\" CONTENT=\"Microsoft Word 97\">\n"
               "<META NAME=\"Template\" CONTENT=\"C:\\Archivos de programa\\Microsoft Office\\Plantillas\\Normal.dot\">\n</HEAD>"
            << "<HEAD>\n\n\n\n</HEAD>";
        QTest::newRow("a removal feeds a later row")
            << "<P ALIGN=<META NAME=\"Generator\" CONTENT=\"Microsoft Word 97\">\"JUSTIFY\">x" << "x";
        QTest::newRow("a removal does not feed its own row") << "&nb&nbsp;sp;" << "&nbsp;";
    }

    void wordCleanUp()
    {
        QFETCH(QString, html);
        QFETCH(QString, clean);
        QCOMPARE(CleanWordHtml(html).text, clean);
    }

    void emptyTextStaysEmpty()
    {
        for (auto convert : {AccentsToHtml, HtmlToAccents, AccentsToUnicode, UnicodeToAccents,
                             RemoveTags, CleanWordHtml}) {
            const TextConversion result = convert(QString());
            QVERIFY(result.text.isEmpty());
            QCOMPARE(result.selStart, 0);
        }
    }
};

QTEST_APPLESS_MAIN(TestConversions)
#include "test_conversion.moc"
