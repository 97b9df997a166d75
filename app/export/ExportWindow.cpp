#include "app/export/ExportWindow.h"

#include "app/typing/ActivityGate.h"
#include "app/reading/ReadingTriggers.h"
#include "app/window/MainWindow.h"
#include "app/window/StatusAnnouncer.h"
#include "export/AudioExporter.h"
#include "platform/ScreenReaderStatus.h"
#include "speech/SpeechController.h"

#include <QApplication>
#include <QKeyEvent>

StopKeyWatcher::StopKeyWatcher(std::function<void()> stop, QObject *parent) : QObject(parent), m_stop(std::move(stop))
{
}

void StopKeyWatcher::SetBusy(bool busy)
{
    if (busy)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool StopKeyWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F11 && !key->isAutoRepeat())
            m_stop();
    }
    return QObject::eventFilter(watched, event);
}

void StartExportThroughGate(const ExportWindowParts &parts, std::function<void()> start)
{
    if (!parts.gate.MayStart(ActivityGate::Start::Export))
        return;
    parts.triggers.ButtonPararClick();
    parts.gate.StartAfterWordByWord(ActivityGate::Start::Export, std::move(start));
}

void TellExportEnd(const ExportWindowParts &parts, const ExportResult &result, const QString &told,
                   const QString &said)
{
    FormPrincipal &window = parts.main;
    if (!result.notice.isEmpty())
        window.ShowStatus(result.notice);
    AnnounceStatus(&window, told);
    if (!parts.speech.VoiceEntries().isEmpty() && !ScreenReaderEnabled())
        parts.speech.SpeakText(said);
    if (!result.ok && !result.stopped)
        window.Questions().Message(result.reason);
}
