#pragma once

#include <QObject>
#include <QString>

#include <functional>

class ActivityGate;
class FormDiccionariExcepcions;
class FormLlenguatge;
class FormPrincipal;
class ReadingTriggers;
class SpeechController;
struct ExportResult;

// What the window's exports (sound files, books) share: the parts of the window they
// use, F11 ending a running one, how one starts, and how its end is told.
struct ExportWindowParts
{
    FormPrincipal &main;
    ActivityGate &gate;
    SpeechController &speech;
    ReadingTriggers &triggers;
    FormDiccionariExcepcions &dictionary;
    FormLlenguatge &languages;
};

// F11 ends a running export, wherever the focus is: the keys are watched while it runs.
class StopKeyWatcher : public QObject
{
public:
    StopKeyWatcher(std::function<void()> stop, QObject *parent);
    void SetBusy(bool busy);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_stop;
};

// Starts an export once the activity gate lets one start: a word-by-word reading stops
// first, and the export starts once it has returned.
void StartExportThroughGate(const ExportWindowParts &parts, std::function<void()> start);

// Tells how an export ended: its notice in the status line, `told` to a screen reader,
// `said` in the program's voice only when no screen reader says it and there is a voice
// to say it, and why it failed in a message (a stop asked for by the user needs none).
void TellExportEnd(const ExportWindowParts &parts, const ExportResult &result, const QString &told,
                   const QString &said);
