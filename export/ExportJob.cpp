#include "export/ExportJob.h"

#include "core/WaitWithEvents.h"

bool ExportJob::Stopping() const
{
    return m_stopping || AppClosing();
}
