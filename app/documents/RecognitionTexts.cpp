#include "app/documents/RecognitionTexts.h"

#include "core/LanguageTexts.h"

#include <QStringList>

#include <array>

namespace {

using Texts = LanguageTexts;

// Rows in the order of the language list: ca, es, eu, gl, pt, en, fr.
constexpr Texts kPageOf = {"Pàgina %1 de %2", "Página %1 de %2", "%1. orrialdea (%2 guztira)", "Páxina %1 de %2",
                           "Página %1 de %2", "Page %1 of %2", "Page %1 sur %2"};
constexpr Texts kConfidence = {"confiança del reconeixement %1 %", "confianza del reconocimiento %1 %",
                               "ezagutzearen konfiantza % %1", "confianza do recoñecemento %1 %",
                               "confiança do reconhecimento %1 %", "recognition confidence %1%",
                               "confiance de la reconnaissance %1 %"};
constexpr Texts kUnsure = {"reconeixement poc segur", "reconocimiento poco seguro", "ezagutza ez oso segurua",
                           "recoñecemento pouco seguro", "reconhecimento pouco seguro", "uncertain recognition",
                           "reconnaissance peu sûre"};
constexpr Texts kPage = {"pàgina", "página", "orrialdea", "páxina", "página", "page", "page"};
constexpr Texts kPages = {"pàgines", "páginas", "orrialdeak", "páxinas", "páginas", "pages", "pages"};

} // namespace

QString PageOfText(int language, int page, int total)
{
    return TextIn(kPageOf, language).arg(page).arg(total);
}

QString RecognitionStatusText(int language, const ConvertedDocument &document)
{
    QStringList parts;
    if (document.confidence >= 0)
        parts.append(TextIn(kConfidence, language).arg(document.confidence));
    if (!document.unsurePages.isEmpty()) {
        QStringList numbers;
        for (const int page : document.unsurePages)
            numbers.append(QString::number(page));
        // A picture of one page needs no page number.
        if (document.pages > 0)
            parts.append(QStringLiteral("%1 %2: %3")
                             .arg(TextIn(numbers.size() == 1 ? kPage : kPages, language), numbers.join(QStringLiteral(", ")),
                                  TextIn(kUnsure, language)));
        else
            parts.append(TextIn(kUnsure, language));
    }
    if (!document.notice.isEmpty())
        parts.append(document.notice);
    return parts.join(QStringLiteral("; "));
}

namespace {

constexpr Texts kStopHint = {"F11 atura el reconeixement.", "F11 detiene el reconocimiento.",
                             "F11 teklak ezagutza gelditzen du.", "F11 detén o recoñecemento.",
                             "F11 para o reconhecimento.", "F11 stops the recognition.",
                             "F11 arrête la reconnaissance."};
constexpr Texts kStopped = {"Reconeixement aturat: %1 de %2 pàgines reconegudes.",
                            "Reconocimiento detenido: %1 de %2 páginas reconocidas.",
                            "Ezagutza geldituta: %2 orrialdetik %1 ezagutu dira.",
                            "Recoñecemento detido: %1 de %2 páxinas recoñecidas.",
                            "Reconhecimento parado: %1 de %2 páginas reconhecidas.",
                            "Recognition stopped: %1 of %2 pages recognised.",
                            "Reconnaissance arrêtée : %1 pages reconnues sur %2."};

} // namespace

QString PagesComingText(int language, int page, int total)
{
    return PageOfText(language, page, total) + QStringLiteral(". ") + TextIn(kStopHint, language);
}

QString PagesStoppedText(int language, int shown, int total)
{
    return TextIn(kStopped, language).arg(shown).arg(total);
}
