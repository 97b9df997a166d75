#include "windows/QtTranslations.h"

#include "windows/InterfaceLanguages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>
#include <memory>

namespace {

// Qt's names of the interface languages, in list order; the first file found is used.
constexpr const char *kQtLanguages[kLanguageCount][2] = {
    {"ca", nullptr}, {"es", nullptr}, {"eu", nullptr}, {"gl", nullptr}, {"pt", "pt_BR"}, {"en", nullptr}, {"fr", nullptr},
};

// Where the system has no translation of Qt: the buttons and file dialogs in Basque and
// Galician. "QPlatformTheme" names the standard buttons of every dialog.
struct OwnQtText
{
    const char *context;
    const char *source;
    const char *euskara;
    const char *galego;
};
constexpr OwnQtText kOwnQtTexts[] = {
    {"QPlatformTheme", "OK", "Ados", "Aceptar"},
    {"QPlatformTheme", "Save", "Gorde", "Gardar"},
    {"QPlatformTheme", "Save All", "Gorde dena", "Gardar todo"},
    {"QPlatformTheme", "Open", "Ireki", "Abrir"},
    {"QPlatformTheme", "&Yes", "&Bai", "&Si"},
    {"QPlatformTheme", "Yes to &All", "Bai &denei", "Si a &todo"},
    {"QPlatformTheme", "&No", "&Ez", "&Non"},
    {"QPlatformTheme", "N&o to All", "E&z inori", "N&on a todo"},
    {"QPlatformTheme", "Abort", "Abortatu", "Abortar"},
    {"QPlatformTheme", "Retry", "Saiatu berriro", "Tentar de novo"},
    {"QPlatformTheme", "Ignore", "Ez ikusi", "Ignorar"},
    {"QPlatformTheme", "Close", "Itxi", "Pechar"},
    {"QPlatformTheme", "Cancel", "Utzi", "Cancelar"},
    {"QPlatformTheme", "Discard", "Baztertu", "Descartar"},
    {"QPlatformTheme", "Help", "Laguntza", "Axuda"},
    {"QPlatformTheme", "Apply", "Aplikatu", "Aplicar"},
    {"QPlatformTheme", "Reset", "Berrezarri", "Restabelecer"},
    {"QPlatformTheme", "Restore Defaults", "Berrezarri lehenetsiak", "Restaurar os predeterminados"},
    {"QPlatformTheme", "Close without Saving", "Itxi gorde gabe", "Pechar sen gardar"},
    {"QFileDialog", "File &name:", "Fitxategiaren &izena:", "&Nome do ficheiro:"},
    {"QFileDialog", "Files of type:", "Fitxategi mota:", "Ficheiros de tipo:"},
    {"QFileDialog", "Look in:", "Begiratu hemen:", "Buscar en:"},
    {"QFileDialog", "Directory:", "Karpeta:", "Cartafol:"},
    {"QFileDialog", "Parent Directory", "Goiko karpeta", "Cartafol superior"},
    {"QFileDialog", "Back", "Atzera", "Atrás"},
    {"QFileDialog", "Forward", "Aurrera", "Adiante"},
    {"QFileDialog", "Create New Folder", "Sortu karpeta berria", "Crear un cartafol novo"},
    {"QFileDialog", "List View", "Zerrenda ikuspegia", "Vista de lista"},
    {"QFileDialog", "Detail View", "Xehetasunen ikuspegia", "Vista detallada"},
    {"QFileDialog", "Sidebar", "Alboko barra", "Barra lateral"},
    {"QFileDialog", "&Open", "&Ireki", "&Abrir"},
    {"QFileDialog", "&Save", "&Gorde", "&Gardar"},
    {"QFileDialog", "&Choose", "&Aukeratu", "&Escoller"},
    {"QFileDialog", "Open", "Ireki", "Abrir"},
    {"QFileDialog", "Save As", "Gorde honela", "Gardar como"},
    {"QFileDialog", "Find Directory", "Bilatu karpeta", "Buscar cartafol"},
    {"QFileDialog", "&New Folder", "Karpeta &berria", "&Novo cartafol"},
    {"QFileDialog", "&Delete", "&Ezabatu", "&Eliminar"},
    {"QFileDialog", "&Rename", "&Aldatu izena", "&Renomear"},
    {"QFileDialog", "Show &hidden files", "Erakutsi fitxategi &ezkutuak", "Amosar os ficheiros &agochados"},
};

class OwnQtTranslator : public QTranslator
{
public:
    explicit OwnQtTranslator(InterfaceLanguage language) : m_language(language) {}

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (!context || !source)
            return QString();
        for (const OwnQtText &text : kOwnQtTexts)
            if (std::strcmp(text.context, context) == 0 && std::strcmp(text.source, source) == 0)
                return QString::fromUtf8(m_language == InterfaceLanguage::Euskara ? text.euskara : text.galego);
        return QString();
    }

private:
    InterfaceLanguage m_language;
};

std::unique_ptr<QTranslator> &InstalledTranslator()
{
    static std::unique_ptr<QTranslator> installed;
    return installed;
}

} // namespace

void UseQtTranslations(int language)
{
    if (language < 0 || language >= kLanguageCount || !QCoreApplication::instance())
        return;
    std::unique_ptr<QTranslator> &installed = InstalledTranslator();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : kQtLanguages[language]) {
        if (!name)
            break;
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(QStringLiteral("qtbase_") + QLatin1String(name), folder)) {
            installed = std::move(qt);
            break;
        }
    }
    const auto chosen = InterfaceLanguage(language);
    if (!installed && (chosen == InterfaceLanguage::Euskara || chosen == InterfaceLanguage::Galego))
        installed = std::make_unique<OwnQtTranslator>(chosen);
    if (installed)
        QCoreApplication::installTranslator(installed.get());
}
