#include "core/ReadingOptions.h"

ReadingOptions::ReadingOptions(QObject *parent)
    : QObject(parent)
{
    for (const ReadingOptionKey &entry : kReadingOptionKeys)
        m_values[std::size_t(entry.option)] = entry.onByDefault;
}

void ReadingOptions::Set(ReadingOption option, bool on)
{
    bool &value = m_values[std::size_t(option)];
    if (value == on)
        return;
    value = on;
    emit changed(option, on);
}
