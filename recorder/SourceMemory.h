#pragma once

#include <QSettings>
#include <QString>

// The source the user picked last, kept in the recorder's own settings for later recordings.
class SourceMemory
{
public:
    SourceMemory();

    // Empty when none was picked: the server's default source then.
    QString remembered() const;
    void remember(const QString &sourceName);

private:
    QSettings m_settings;
};
