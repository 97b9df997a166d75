#include "app/reading/ReaderCommands.h"

#include "app/reading/KeptPlaces.h"
#include "app/reading/ReadingSession.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "app/window/StatusAnnouncer.h"
#include "core/Command.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"
#include "windows/InterfaceLanguages.h"

#include <QTextDocument>

#include <array>

#include <memory>

namespace
{
// Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr std::array<const char *, kLanguageCount> kFastest = {
    "La veu ja és a la velocitat més ràpida.",
    "La voz ya está a la velocidad más rápida.",
    "Ahotsa dagoeneko abiadura azkarrenean dago.",
    "A voz xa está á velocidade máis rápida.",
    "A voz já está na velocidade mais rápida.",
    "The voice is at the fastest rate already.",
    "La voix est déjà à la vitesse la plus rapide.",
};
constexpr std::array<const char *, kLanguageCount> kSlowest = {
    "La veu ja és a la velocitat més lenta.",
    "La voz ya está a la velocidad más lenta.",
    "Ahotsa dagoeneko abiadura motelenean dago.",
    "A voz xa está á velocidade máis lenta.",
    "A voz já está na velocidade mais lenta.",
    "The voice is at the slowest rate already.",
    "La voix est déjà à la vitesse la plus lente.",
};

void KeepPlaces(FormPrincipal &window, ReadingSession &session, const QString &settingsFile)
{
    auto kept = std::make_shared<KeptPlaces>(KeptPlaces::FileBeside(settingsFile));
    QObject::connect(&session, &ReadingSession::readingStopped, &window, [&window, kept](int position) {
        kept->Keep(window.CurrentFileName(), position);
    });
    window.Documents().SetOpened([&window, &session, kept](const QString &name) {
        const std::optional<int> position = kept->PlaceOf(name);
        // A place past the end belongs to another version of the file: the top is safer.
        if (!position || *position <= 0 || *position > window.Edit()->document()->characterCount() - 1)
            return;
        session.MoveCaretTo(*position);
        window.ShowStatus(KeptPlaces::RestoredMessage(window.property(kInterfaceLanguageProperty).toInt()));
    });
}
} // namespace

QString RateLimitText(int language, bool fastest)
{
    const std::size_t row = language >= 0 && language < kLanguageCount ? std::size_t(language) : 0;
    return QString::fromUtf8((fastest ? kFastest : kSlowest)[row]);
}

void ConnectReaderCommands(const ReaderCommandParts &parts)
{
    FormPrincipal &window = parts.window;
    ReadingSession &session = parts.session;
    KeepPlaces(window, session, parts.settingsFile);
    FormTTS *speechWindow = &parts.speechWindow;
    session.SetRateBar([speechWindow](int steps) { return speechWindow->StepRate(steps); });
    const FormLlenguatge *languages = &parts.languages;
    QObject::connect(&session, &ReadingSession::rateAtLimit, &window, [&window, languages](bool fastest) {
        AnnounceStatus(&window, RateLimitText(languages->LanguageIndex(), fastest));
    });
    // Each runs once the menu has closed and the editor has the focus again.
    const auto connect = [&window, &session](const char *id, void (ReadingSession::*command)()) {
        window.SetCommandHandler(QString::fromLatin1(id), [&window, &session, command] {
            QMetaObject::invokeMethod(&session, [&window, &session, command] {
                window.Edit()->setFocus();
                (session.*command)();
            }, Qt::QueuedConnection);
        });
    };
    using namespace ReaderCommandId;
    connect(kReadFromCaret, &ReadingSession::ReadFromCaret);
    connect(kPauseOrGoOn, &ReadingSession::PauseOrGoOn);
    connect(kNextSentence, &ReadingSession::NextSentence);
    connect(kPreviousSentence, &ReadingSession::PreviousSentence);
    connect(kFaster, &ReadingSession::Faster);
    connect(kSlower, &ReadingSession::Slower);
}
