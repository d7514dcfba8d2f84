#include "SourceMemory.h"

namespace {

const QString sourceKey = QStringLiteral("capture/source");

} // namespace

// Named here rather than through the application, so it can be read before the application exists.
SourceMemory::SourceMemory()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QuillScheduler"),
                 QStringLiteral("Quillsound"))
{
}

QString SourceMemory::remembered() const
{
    return m_settings.value(sourceKey).toString();
}

void SourceMemory::remember(const QString &sourceName)
{
    m_settings.setValue(sourceKey, sourceName);
    m_settings.sync();
}
