#include "app/find/FindCaptions.h"

#include "windows/InterfaceLanguages.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

#include <array>

namespace {

struct FindCaption
{
    const char *control;  // the control's objectName
    bool accessibleName;  // the name a screen reader says, for a field without a caption
    std::array<const char *, kLanguageCount> texts;
};

// Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr FindCaption kFindCaptions[] = {
    {"LabelBuscar", false,
     {"&Buscar:", "&Buscar:", "&Bilatu:", "&Buscar:", "&Procurar:", "&Find:", "&Rechercher :"}},
    {"EditBuscar", true,
     {"Text a buscar", "Texto a buscar", "Bilatu beharreko testua", "Texto a buscar", "Texto a procurar",
      "Text to find", "Texte à rechercher"}},
    {"CheckBoxMajuscules", false,
     {"Distingir &majúscules i minúscules", "Distinguir &mayúsculas y minúsculas",
      "Bereizi &maiuskulak eta minuskulak", "Distinguir &maiúsculas e minúsculas",
      "Distinguir &maiúsculas e minúsculas", "&Match case", "Respecter la &casse"}},
    {"CheckBoxParaulesSenceres", false,
     {"Només paraules s&enceres", "Sólo palabras c&ompletas", "Hitz &osoak soilik", "Só palabras &completas",
      "Só palavras &inteiras", "&Whole words only", "Mots &entiers seulement"}},
    {"ButtonBuscarSeguent", false,
     {"Buscar el següe&nt", "Buscar &siguiente", "Bilatu &hurrengoa", "Buscar o &seguinte", "Procurar &seguinte",
      "Find &next", "&Suivant"}},
    {"ButtonTancar", false, {"&Tancar", "&Cerrar", "&Itxi", "&Pechar", "&Fechar", "&Close", "&Fermer"}},
    {"LabelSubstituirPer", false,
     {"Substituir &per:", "Sustituir &por:", "Ordeztu ho&nekin:", "Substituír p&or:", "Substituir p&or:",
      "Replace w&ith:", "Remplacer &par :"}},
    {"EditSubstituirPer", true,
     {"Text nou", "Texto nuevo", "Testu berria", "Texto novo", "Texto novo", "New text", "Nouveau texte"}},
    {"ButtonSubstituir", false,
     {"&Substituir", "Sus&tituir", "Or&deztu", "Subs&tituír", "Subs&tituir", "&Replace", "Re&mplacer"}},
    {"ButtonSubstituirTot", false,
     {"Substituir-ho t&ot", "Sustituir to&do", "Ordeztu &guztia", "Substituír to&do", "Substituir t&udo",
      "Replace &all", "Remplacer &tout"}},
};

} // namespace

void ApplyFindCaptions(QWidget *dialog, int language)
{
    const std::size_t column = language >= 0 && language < kLanguageCount ? std::size_t(language) : 0;
    for (const FindCaption &row : kFindCaptions) {
        QWidget *control = dialog->findChild<QWidget *>(QLatin1String(row.control));
        if (!control)
            continue;
        const QString text = QString::fromUtf8(row.texts[column]);
        if (row.accessibleName)
            control->setAccessibleName(text);
        else if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(text);
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setText(text);
    }
}
