#pragma once

#include "engines/SpeechEngines.h"

#include <QStringList>

// The run-time loaded library bound with dlopen/dlsym. Each entry point is looked up
// by name; one the library lacks stays empty and its call is skipped.
class DlopenUpctvLibrary : public UpctvLibrary
{
public:
    // The file names tried in order: a path, or a bare name for the library path.
    explicit DlopenUpctvLibrary(QStringList candidates);
    // libupctv.so in the program's folder first, then on the library path.
    static QStringList DefaultCandidates(const QString &programDir);
    ~DlopenUpctvLibrary() override;

    bool Load() override;
    void Unload() override;
    bool Loaded() const override { return m_handle != nullptr; }
    bool Read(const QByteArray &text) override;
    bool Stop() override;
    bool SetLanguage(int language) override;
    bool SetSpeed(int speed) override;
    bool SetSpeaker(int speaker) override;
    std::optional<int> Status(int which) override;
    // Our library answers upcTVStatus(1) with non-zero when the last reading failed.
    bool Heard() override;
    std::optional<std::pair<int, int>> HeardWord() override;
    bool TellsWords() const override { return m_word != nullptr; }
    bool SynthesizerMissing() override;

private:
    using NoArgument = int (*)();
    using IntArgument = int (*)(int);
    using TextArgument = int (*)(const char *);

    QStringList m_candidates;
    void *m_handle = nullptr;
    // In the order they are bound.
    NoArgument m_about = nullptr;
    TextArgument m_read = nullptr;
    TextArgument m_readFile = nullptr;
    NoArgument m_stop = nullptr;
    NoArgument m_pause = nullptr;
    NoArgument m_resume = nullptr;
    IntArgument m_setLanguage = nullptr;
    IntArgument m_setSpeed = nullptr;
    IntArgument m_setSpeaker = nullptr;
    IntArgument m_status = nullptr;
    // Beside the ten: the word being heard.
    using WordArgument = int (*)(int *, int *);
    WordArgument m_word = nullptr;
};
