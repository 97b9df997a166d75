#include "app/ReaderCommands.h"

#include "app/EditorWidget.h"
#include "app/MainWindow.h"
#include "app/ReadingPlace.h"
#include "app/KeptPlaces.h"
#include "core/Command.h"

#include <memory>

void AddReaderCommands(CommandMenu &options)
{
    using namespace ReaderCommandId;
    options.Add({kReadFromCaret, "MenuLlegirDesDelCursor", "Llegir des del &cursor"});
    options.Add({kPauseOrGoOn, "MenuPausaIContinua", "Pa&usa i continua"});
    options.Add({kNextSentence, "MenuFraseSeguent", "Frase següe&nt"});
    options.Add({kPreviousSentence, "MenuFraseAnterior", "Frase &anterior"});
}

namespace
{
void KeepPlaces(FormPrincipal &window, ReadingPlace &place, const QString &settingsFile)
{
    auto kept = std::make_shared<KeptPlaces>(KeptPlaces::FileBeside(settingsFile));
    QObject::connect(&place, &ReadingPlace::readingStopped, &window, [&window, kept](int position) {
        kept->Keep(window.CurrentFileName(), position);
    });
    // A document is opened when the title takes another file's name.
    auto shown = std::make_shared<QString>();
    QObject::connect(&window, &QWidget::windowTitleChanged, &place, [&window, &place, kept, shown] {
        const QString name = window.CurrentFileName();
        if (name == *shown)
            return;
        *shown = name;
        const std::optional<int> position = kept->PlaceOf(name);
        if (!position || *position <= 0)
            return;
        place.MoveCaretTo(*position);
        window.ShowStatus(QStringLiteral("El cursor és on es va deixar de llegir."));
    });
}
} // namespace

void ConnectReaderCommands(FormPrincipal &window, ReadingPlace &place, const QString &settingsFile)
{
    KeepPlaces(window, place, settingsFile);
    place.ConnectKeys();
    // Each runs once the menu has closed and the editor has the focus again.
    const auto connect = [&window, &place](const char *id, void (ReadingPlace::*command)()) {
        window.SetCommandHandler(QString::fromLatin1(id), [&window, &place, command] {
            QMetaObject::invokeMethod(&place, [&window, &place, command] {
                window.Edit()->setFocus();
                (place.*command)();
            }, Qt::QueuedConnection);
        });
    };
    using namespace ReaderCommandId;
    connect(kReadFromCaret, &ReadingPlace::ReadFromCaret);
    connect(kPauseOrGoOn, &ReadingPlace::PauseOrGoOn);
    connect(kNextSentence, &ReadingPlace::NextSentence);
    connect(kPreviousSentence, &ReadingPlace::PreviousSentence);
}
