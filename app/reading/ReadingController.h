#pragma once

#include <QObject>

class ActivityGate;
class FormLlenguatge;
class FormPrincipal;
class FormTTS;
class OneHandKeyboard;
class ReadingTriggers;
class SettingsStore;
class SpeechController;
class SpokenWordHighlight;

// The document read aloud from the window: the keys and toolbar buttons that start and
// stop readings, word by word, the one-hand keyboard, the highlight of the word being
// heard, the reader's menu items, and the windows the options menu opens
// (each once the activity gate lets it start).
class ReadingController : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        FormPrincipal &main;
        ActivityGate &gate;
        SettingsStore &settings;
        SpeechController &speech;
        FormTTS &speechWindow;
        FormLlenguatge &languages;
        OneHandKeyboard &oneHand;
        ReadingTriggers &triggers;
        SpokenWordHighlight &highlight;
    };
    explicit ReadingController(const Parts &parts);

private:
    void ConnectOneHandKeyboard();
    void ConnectTriggers();
    void ConnectOptionsCommands();
    void ConnectWordHeard();

    Parts m_parts;
};
