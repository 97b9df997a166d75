#include "app/captions/InterfaceCaptions.h"

#include "app/captions/MainWindowCaptions.h"
#include "windows/FormTTS.h"
#include "windows/QtTranslations.h"

#include <QVariant>

#include <vector>

namespace {

template <typename Row>
std::vector<Row> Joined(std::span<const Row> first, std::span<const Row> second)
{
    std::vector<Row> rows(first.begin(), first.end());
    rows.insert(rows.end(), second.begin(), second.end());
    return rows;
}

} // namespace

std::span<const CaptionRow> CaptionTable()
{
    static const std::vector<CaptionRow> table = Joined(FormTTS::CaptionRows(), MainWindowCaptionRows());
    return table;
}

std::span<const AddedRow> AddedTable()
{
    static const std::vector<AddedRow> table = Joined(MainWindowAddedRows(), FormTTS::AddedRows());
    return table;
}

QString InterfaceCaption(int language, const QString &control)
{
    return CaptionOf(CaptionTable(), language, control);
}

QStringList ApplyInterfaceLanguage(int language, QObject *mainWindow, QObject *speechWindow)
{
    if (language < 0 || language >= kLanguageCount)
        return {};
    if (mainWindow)
        mainWindow->setProperty(kInterfaceLanguageProperty, language);
    UseQtTranslations(language);
    QStringList missing = RelabelWindow(language, FormTTS::CaptionRows(), FormTTS::AddedRows(), speechWindow);
    missing << RelabelMainWindow(language, mainWindow);
    return missing;
}
