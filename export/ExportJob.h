#pragma once

#include <QObject>
#include <QString>

struct ExportResult;
// The signals carry it whole.
Q_MOC_INCLUDE("export/AudioExporter.h")

// What every export of the document (a sound file, a book) tells those who run it, the
// window and the command line alike, and its running state.
class ExportJob : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool Busy() const { return m_busy; }

signals:
    // True from the start to the end of an export: the window disables the reading,
    // menu and export buttons and the name field meanwhile.
    void busyChanged(bool busy);
    // A line for the status bar: what the export is doing, and where its file went.
    void statusText(const QString &text);
    // How much of the whole export is done, 1..100.
    void progress(int percent);
    // Stop was called: whatever the export waits for gives way.
    void stopRequested();
    void finished(const ExportResult &result);

protected:
    // The user stopped the export, or the program is closing.
    bool Stopping() const;

    bool m_busy = false;
    bool m_stopping = false;
};
