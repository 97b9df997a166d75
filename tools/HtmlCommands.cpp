#include "tools/HtmlCommands.h"

#include "core/Command.h"
#include "tools/AccentConversions.h"
#include "tools/ConversionEdit.h"
#include "tools/HtmlConversions.h"
#include "tools/HtmlMarkup.h"

namespace {

struct MarkupItem
{
    const char *id;
    const char *name;
    const char *caption;
    QKeySequence shortcut;
    MarkupKind kind;
    const char16_t *opening;
    const char16_t *closing;
    bool separatorBefore = false;
};

struct SymbolItem
{
    const char *id;
    const char *name;
    const char *caption;
    const char16_t *symbol;
};

QKeySequence Ctrl(Qt::Key key)
{
    return QKeySequence(Qt::CTRL | key);
}

void AddMarkupCommand(CommandMenu &menu, const MarkupItem &item)
{
    const MarkupKind kind = item.kind;
    const QString opening = QString::fromUtf16(item.opening);
    const QString closing = item.closing ? QString::fromUtf16(item.closing) : QString();
    menu.Add({item.id, item.name, item.caption, item.shortcut, item.separatorBefore},
             [kind, opening, closing](CommandContext &context) {
                 ApplyMarkup(context.editor, kind, opening, closing);
             });
}

void AddConversionCommand(CommandMenu &menu, const CommandItem &item, TextConversion (*convert)(const QString &))
{
    menu.Add(item, [convert](CommandContext &context) {
        const QString text = context.editor.Text();
        ApplyConversion(context.editor, text, convert(text));
    });
}

} // namespace

void RegisterHtmlCommands(CommandRegistry &registry)
{
    using K = MarkupKind;
    const MarkupItem items[] = {
        {"html-bold", "Negreta1", "&Negreta </B>", Ctrl(Qt::Key_N), K::Wrap, u"<B>", u"</B>"},
        {"html-italic", "Itlica1", "&Itàlica </I>", Ctrl(Qt::Key_I), K::Wrap, u"<I>", u"</I>"},
        {"html-underline", "Subratllat1", "&Subratllat </U>", Ctrl(Qt::Key_S), K::Wrap, u"<U>", u"</U>"},
        {"html-preformatted", "Textpreformatat2", "Text &preformatat </PRE>", Ctrl(Qt::Key_P), K::Wrap,
         u"<FONT COLOR=black><PRE><UL>", u"</PRE></UL></FONT>"},
        {"html-center", "TextCentratCENTER1", "Cen&trat </CENTER>", Ctrl(Qt::Key_T), K::Wrap,
         u"<CENTER>", u"</CENTER>"},
        {"html-indent", "SagnatUL1", "Sagnat </&UL>", Ctrl(Qt::Key_U), K::Wrap, u"<UL>\n", u"</UL>\n"},
        {"html-comment", "Comentari1", "Comentari <!-- -->", Ctrl(Qt::Key_O), K::Wrap, u"<!--", u"-->"},
        {"html-superscript", "SuperndexSUP1", "Sup&er índex </SUP>", Ctrl(Qt::Key_E), K::Wrap,
         u"<SUP>", u"</SUP>"},
        {"html-subscript", "Subndex1", "Sub ín&dex </SUB>", Ctrl(Qt::Key_D), K::Wrap, u"<SUB>", u"</SUB>"},
        {"html-visible-tags", "tagsvisibles1", "< > &visibles", {}, K::Wrap, u"&lt;", u"&gt;"},
        {"html-line-break", "Retorndelnia1", "&Retorn de línia <BR>", Ctrl(Qt::Key_R), K::Before,
         u"<BR>\n", nullptr, true},
        {"html-break", "BRsenseretorndelnia1", "<&BR> sense retorn de línia", Ctrl(Qt::Key_B),
         K::Before, u"<BR>", nullptr},
        {"html-paragraph", "Paragraf2", "Paragraf <P>", {}, K::Before, u"<P>\n", nullptr},
        {"html-horizontal-rule", "Lniahoritzontal1", "Línia &horitzontal <HR>", Ctrl(Qt::Key_H),
         K::Before, u"<HR>\n", nullptr},
        {"html-link", "Lligam1", "&Lligam", Ctrl(Qt::Key_L), K::Link, u"<A HREF=\"", u"\"></A>", true},
        {"html-image", "Grfica1", "&Gràfica", Ctrl(Qt::Key_G), K::Wrap, u"<IMG SRC=\"", u".gif\">"},
        {"html-mail-link", "Correuelectrnic1", "&Correu electrònic", {}, K::Link,
         u"<A HREF=\"MAILTO:", u"\"></A>"},
        {"html-applet", "Applet1", "A&pplet", {}, K::Wrap, u"<APPLET CODE=\"",
         u".class\" width= height= > </APPLET>"},
    };
    CommandMenu html(registry, "MenuHTML");
    for (const MarkupItem &item : items)
        AddMarkupCommand(html, item);

    AddConversionCommand(html, {"accents-to-html", "AccentsHTML1", "&Accents -> HTML", {}, true}, AccentsToHtml);
    AddConversionCommand(html, {"html-to-accents", "HTMLaccents1", "&HTML -> accents"}, HtmlToAccents);
    AddConversionCommand(html, {"strip-tags", "Treureelstags1", "Tr&eure els tags"}, RemoveTags);
    AddConversionCommand(html, {"clean-word-html", "TreurepalladelWORD1", "Treure palla del &WORD"}, CleanWordHtml);
}

void RegisterSymbolCommands(CommandRegistry &registry)
{
    // The Symbol font draws these characters and entities as the signs of the captions.
    const SymbolItem items[] = {
        {"symbol-pi", "Pi1", "&Pi", u"p"},
        {"symbol-greater-equal", "N17", "&>=", u"\u00b3"},
        {"symbol-less-equal", "N18", "&<=", u"\u00a3"},
        {"symbol-infinity", "infinit1", "&infinit", u"\u00a5"},
        {"symbol-plus-minus", "N19", "±", nullptr},
        {"symbol-arrow", "N20", "&->", u"&reg;"},
        {"symbol-empty-set", "Conjuntvuit1", "Conjunt &vuit", u"&AElig;"},
        {"symbol-for-all", "Peratot1", "Per &a tot", u"\""},
        {"symbol-exists", "Existeix1", "E&xisteix", u"$"},
        {"symbol-element-of", "Pentany1", "P&ertany", u"&Icirc;"},
        {"symbol-not-element-of", "Nopertany1", "&No pertany", u"&Iuml;"},
        {"symbol-subset", "Estcontingut1", "Està &contingut", u"&Igrave;"},
        {"symbol-not-subset", "Noestcontingut1", "No està contingut", u"&Euml;"},
        {"symbol-union", "Uni1", "&Unió", u"&Egrave;"},
        {"symbol-intersection", "Intersecci1", "Intersecció", u"&Ccedil;"},
        {"symbol-implies", "implica1", "Implica", u"&THORN;"},
        {"symbol-if-and-only-if", "Sinomss1", "Sí i només sí", u"&Ucirc;"},
        {"symbol-alpha", "alfa1", "&alfa", u"a"},
        {"symbol-beta", "beta1", "&beta", u"b"},
        {"symbol-gamma", "gamma1", "&gamma", u"g"},
        {"symbol-delta", "delta1", "&delta", u"d"},
        {"symbol-epsilon", "epsilon1", "&epsilon", u"e"},
        {"symbol-phi", "Fi1", "&fi", u"f"},
        {"symbol-kappa", "Ka1", "&kappa", u"k"},
        {"symbol-lambda", "Lambda1", "&lambda", u"l"},
        {"symbol-mu", "Mu1", "&mu", u"m"},
        {"symbol-nu", "Nu1", "&nu", u"n"},
        {"symbol-rho", "Ro1", "&ro", u"r"},
        {"symbol-sigma", "Sigma1", "&sigma", u"s"},
        {"symbol-omega", "omega1", "&omega", u"w"},
    };
    CommandMenu symbols(registry, "MenuSimbols");
    for (const SymbolItem &item : items) {
        // "±" needs no font: the character itself is inserted.
        const QString text = item.symbol ? SymbolFontText(QStringView(item.symbol))
                                         : QStringLiteral("\u00b1");
        symbols.Add({item.id, item.name, item.caption},
                    [text](CommandContext &context) { ApplyMarkup(context.editor, MarkupKind::Before, text); });
    }
}
