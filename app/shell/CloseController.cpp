#include "app/shell/CloseController.h"

#include "app/reading/ReadingTriggers.h"
#include "app/window/MainWindow.h"
#include "windows/ReadingOptionsStore.h"

CloseController::CloseController(const Parts &parts) : m_parts(parts)
{
    FormPrincipal &main = m_parts.main;
    m_seen = StoreReadingOptionsAsTheyChange(m_parts.settings, m_parts.readingOptions, m_parts.languages,
                                             [&main](const QString &problem) { main.ShowStatus(problem); });
    main.SetCloseHandler([this] { Closing(); });
}

CloseController::~CloseController()
{
    m_parts.main.SetCloseHandler({});
}

void CloseController::Closing()
{
    m_parts.triggers.ButtonPararClick();
    const QString problem =
        StoreReadingOptionsAndLanguage(m_parts.settings, m_parts.readingOptions, m_parts.languages, m_seen.get());
    if (!problem.isEmpty())
        m_parts.main.Questions().Message(problem);
}
