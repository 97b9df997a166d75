#include "app/shell/StartupReadingView.h"

#include "app/reading/ReadingTriggers.h"
#include "app/reading/SpokenWordHighlight.h"
#include "app/shell/ProgramWindows.h"
#include "app/view/ReadingView.h"
#include "app/view/ReadingViewMenu.h"
#include "app/view/ViewCaptions.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/Syllables.h"
#include "speech/SpeechController.h"
#include "speech/VoiceLanguage.h"
#include "windows/InterfaceLanguages.h"

#include <QAction>
#include <QMenu>

namespace
{
int InterfaceLanguageOf(const FormPrincipal &main)
{
    const QVariant language = main.property(kInterfaceLanguageProperty);
    return language.isValid() ? language.toInt() : 0;
}

void Relabel(FormPrincipal &main, QMenu *menu, int language)
{
    RelabelReadingView(language, &main);
    // Without the font the item says what to install.
    if (!DyslexiaFontInstalled())
        if (QAction *item = menu->findChild<QAction *>(QStringLiteral("MenuVistaLletraOpenDyslexic")))
            item->setText(ViewMessageText(ViewMessage::FontMissing, language));
}
} // namespace

void ConnectReadingView(ProgramWindows &windows)
{
    FormPrincipal &main = *windows.main;
    SpeechController *speech = windows.speech.get();
    SpokenWordHighlight *highlight = windows.highlight.get();
    ReadingView::Hooks hooks;
    hooks.voiceLanguage = [speech] { return SelectedVoiceLanguage(*speech); };
    hooks.wordHeard = [highlight] { return highlight->ShownLength() > 0 ? highlight->ShownStart() : -1; };
    hooks.status = [&main](const QString &text) { main.ShowStatus(text); };
    hooks.interfaceLanguage = [&main] { return InterfaceLanguageOf(main); };
    windows.readingView = std::make_unique<ReadingView>(main.Edit(), *windows.settings, hooks);
    ReadingView &view = *windows.readingView;

    QMenu *menu = AddReadingViewMenu(view, main.MenuNamed(QStringLiteral("MenuOpcions")), &main,
                                     [&main](const QFont &font) { main.UseEditorFont(font); });
    QObject::connect(menu->findChild<QAction *>(QStringLiteral("MenuVistaLletraOpenDyslexic")), &QAction::triggered,
                     &main, [&main] {
        if (!DyslexiaFontInstalled())
            main.ShowStatus(ViewMessageText(ViewMessage::FontMissing, InterfaceLanguageOf(main)));
    });
    Relabel(main, menu, InterfaceLanguageOf(main));
    QObject::connect(windows.interfaceLanguage.get(), &InterfaceLanguageModel::languageChanged, menu,
                     [&main, menu](int language) { Relabel(main, menu, language); });

    // Word by word says a word's syllables before the word whole while they are shown.
    windows.triggers->Session().SetWordPieces([&view](QStringView selected) {
        const QList<TextWord> words = WordsForSyllables(selected);
        if (words.isEmpty())
            return QList<qsizetype>();
        QList<qsizetype> borders = view.SpokenSyllables(selected.mid(words.first().start, words.first().length));
        for (qsizetype &border : borders)
            border += words.first().start;
        return borders;
    });
    // The line in focus follows the word being heard.
    QObject::connect(speech, &SpeechController::wordHeard, main.Edit()->viewport(),
                     [edit = main.Edit()] { edit->viewport()->update(); });
}
