#include "tools/MusicXmlTemplates.h"

namespace {

// Our own credit in the <software> element.
const char *const SoftwareCredit =
    "Tolvanet Corvalida - Equip de Tolvanet Corvalida - https://tolvanet.example.org"
    " - Projecte Quimbo 2016";

} // namespace

const FormXMLTextos &FormXMLTextos::Instance()
{
    static const FormXMLTextos holder;
    return holder;
}

FormXMLTextos::FormXMLTextos()
{
    MemoXMLPartInicial = {
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
        QStringLiteral("      <software>") + QLatin1String(SoftwareCredit)
            + QStringLiteral("</software>"),
        QStringLiteral("      <encoding-date>2015-12-18</encoding-date>"),
        QStringLiteral("      <supports attribute=\"new-system\" element=\"print\" type=\"no\" value=\"no\"/>"),
        QStringLiteral("      <supports attribute=\"new-page\" element=\"print\" type=\"no\" value=\"no\"/>"),
        QStringLiteral("    </encoding>"),
        QStringLiteral("  </identification>"),
        QStringLiteral("  <credit page=\"1\">"),
        QStringLiteral("    <credit-words>Tolvanet Corvalida</credit-words>"),
        QStringLiteral("  </credit>"),
        QStringLiteral("  <part id=\"P1\">"),
        QStringLiteral("    <measure number=\"1\">"),
        QStringLiteral("      <attributes>"),
        QStringLiteral("        <divisions>64</divisions>"),
        QStringLiteral("        <key>"),
        QStringLiteral("          <fifths>0</fifths>"),
        QStringLiteral("          <mode>major</mode>"),
        QStringLiteral("        </key>"),
        QStringLiteral("        <time print-object=\"yes\">"),
        QStringLiteral("          <beats>4</beats>"),
        QStringLiteral("          <beat-type>4</beat-type>"),
        QStringLiteral("        </time>"),
        QStringLiteral("        <clef number=\"1\">"),
        QStringLiteral("          <sign>G</sign>"),
        QStringLiteral("          <line>2</line>"),
        QStringLiteral("        </clef>"),
        QStringLiteral("      </attributes>"),
    };
    MemoXMLPartFinal = {
        QStringLiteral("    </measure>"),
        QStringLiteral("  </part>"),
        QStringLiteral("</score-partwise>"),
    };
    PartList = {
        QStringLiteral("  <part-list>"),
        QStringLiteral("    <score-part id=\"P1\">"),
        QStringLiteral("      <part-name></part-name>"),
        QStringLiteral("    </score-part>"),
        QStringLiteral("  </part-list>"),
    };
}
