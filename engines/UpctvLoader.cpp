#include "engines/UpctvLoader.h"

#include <dlfcn.h>

namespace {

template<typename Function>
Function Bind(void *handle, const char *name)
{
    return reinterpret_cast<Function>(dlsym(handle, name));
}

} // namespace

DlopenUpctvLibrary::DlopenUpctvLibrary(QStringList candidates) : m_candidates(std::move(candidates)) {}

QStringList DlopenUpctvLibrary::DefaultCandidates(const QString &programDir)
{
    QString dir = programDir;
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    QStringList candidates;
    if (!dir.isEmpty())
        candidates << dir + QStringLiteral("libupctv.so");
    candidates << QStringLiteral("libupctv.so");
    return candidates;
}

DlopenUpctvLibrary::~DlopenUpctvLibrary()
{
    Unload();
}

bool DlopenUpctvLibrary::Load()
{
    Unload();
    for (const QString &candidate : m_candidates) {
        m_handle = dlopen(candidate.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle)
            break;
    }
    if (!m_handle)
        return false;
    m_about = Bind<NoArgument>(m_handle, "upcTVAbout");
    m_read = Bind<TextArgument>(m_handle, "upcTVRead");
    m_readFile = Bind<TextArgument>(m_handle, "upcTVReadFile");
    m_stop = Bind<NoArgument>(m_handle, "upcTVStop");
    m_pause = Bind<NoArgument>(m_handle, "upcTVPause");
    m_resume = Bind<NoArgument>(m_handle, "upcTVResume");
    m_setLanguage = Bind<IntArgument>(m_handle, "upcTVSetLanguage");
    m_setSpeed = Bind<IntArgument>(m_handle, "upcTVSetSpeed");
    m_setSpeaker = Bind<IntArgument>(m_handle, "upcTVSetSpeaker");
    m_status = Bind<IntArgument>(m_handle, "upcTVStatus");
    m_word = Bind<WordArgument>(m_handle, "upcTVWord");
    return true;
}

void DlopenUpctvLibrary::Unload()
{
    m_about = nullptr;
    m_read = nullptr;
    m_readFile = nullptr;
    m_stop = nullptr;
    m_pause = nullptr;
    m_resume = nullptr;
    m_setLanguage = nullptr;
    m_setSpeed = nullptr;
    m_setSpeaker = nullptr;
    m_status = nullptr;
    m_word = nullptr;
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
}

bool DlopenUpctvLibrary::Read(const QByteArray &text)
{
    if (!m_read)
        return false;
    m_read(text.constData()); // QByteArray keeps a terminating zero
    return true;
}

bool DlopenUpctvLibrary::Stop()
{
    if (!m_stop)
        return false;
    m_stop();
    return true;
}

bool DlopenUpctvLibrary::SetLanguage(int language)
{
    if (!m_setLanguage)
        return false;
    m_setLanguage(language);
    return true;
}

bool DlopenUpctvLibrary::SetSpeed(int speed)
{
    if (!m_setSpeed)
        return false;
    m_setSpeed(speed);
    return true;
}

bool DlopenUpctvLibrary::SetSpeaker(int speaker)
{
    if (!m_setSpeaker)
        return false;
    m_setSpeaker(speaker);
    return true;
}

std::optional<int> DlopenUpctvLibrary::Status(int which)
{
    if (!m_status)
        return std::nullopt;
    return m_status(which);
}

bool DlopenUpctvLibrary::Heard()
{
    return !m_status || m_status(1) == 0;
}

std::optional<std::pair<int, int>> DlopenUpctvLibrary::HeardWord()
{
    int start = 0;
    int length = 0;
    if (!m_word || m_word(&start, &length) == 0 || start < 0 || length <= 0)
        return std::nullopt;
    return std::make_pair(start, length);
}

bool DlopenUpctvLibrary::SynthesizerMissing()
{
    return m_status && m_status(2) != 0;
}
