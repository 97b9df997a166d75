#pragma once

#include "sonnerixawav/WavRendering.h"

#include <QList>
#include <QStringList>

// Renders the UPCTV family through the run-time loaded library's rendering entry point
// (festival's ona for the Catalan woman); the entries the library cannot render, and
// the other families, go to the rendering given for them.
class UpctvWavRendering : public WavRendering
{
public:
    // libraries: the file names tried in order, a path or a bare name for the library path.
    UpctvWavRendering(QStringList libraries, WavRendering &others);
    ~UpctvWavRendering() override;

    bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) override;
    QString VoiceNote() const override;

    // The job's text in a festival voice by its name, through the library's festival.
    bool RenderFestivalVoice(const RenderJob &job, const QString &voice, const std::function<bool(int)> &progress,
                             QString *error);

    // libupctv.so in the program's folder, then on the library path.
    static QStringList DefaultLibraries(const QString &programDir);

private:
    using WordCallback = void (*)(void *, int, int, int);
    using ProgressCallback = int (*)(void *, int);
    using LibraryRender = std::function<int(const char *text, const char *file, WordCallback word,
                                            ProgressCallback progress, void *context)>;
    bool Load(QString *error);
    // Renders through one of the library's entry points into the job's file, with its
    // word times: 0 when done, the entry point's "cannot" answer, else -1 with the reason.
    int RenderInto(const RenderJob &job, const std::function<bool(int)> &progress, QString *error, const QString &name,
                   const LibraryRender &render);

    QStringList m_libraries;
    WavRendering &m_others;
    bool m_usedOthers = false;
    void *m_handle = nullptr;
    int (*m_setLanguage)(int) = nullptr;
    int (*m_setSpeaker)(int) = nullptr;
    int (*m_setSpeed)(int) = nullptr;
    int (*m_status)(int) = nullptr;
    int (*m_render)(const char *, const char *, WordCallback, ProgressCallback, void *) = nullptr;
    int (*m_renderFestival)(const char *, const char *, const char *, WordCallback, ProgressCallback,
                            void *) = nullptr;
};

// The library's 8-bit text for a text to render, and where each of its bytes came from in
// the text: a character it lacks is a "?", the Catalan l with a dot two bytes, and a NUL a
// blank, so that what follows it is still heard.
struct UpctvRenderText
{
    QByteArray bytes;
    // Where bytes and characters stop going one for one: from byte first on, byte b is
    // character b + shift, up to the next such step. Few for any text.
    struct Step
    {
        qsizetype first;
        qsizetype shift;
    };
    QList<Step> steps;
    bool placed = false;  // whether the bytes could be placed at all
    // The position in the text of byte b, which must be one of bytes.
    qsizetype PlaceOf(qsizetype b) const;
};
UpctvRenderText UpctvTextToRender(const QString &text);
