#pragma once

#include <QLibrary>
#include <QString>

// A library that lies in the running program's own folder, loaded before any QCoreApplication exists
// (which is when QCoreApplication::applicationDirPath() cannot tell that folder yet).
class LibraryBesideProgram
{
public:
    explicit LibraryBesideProgram(const QString &fileName);

    // The function of that name, or null with errorString() saying why.
    QFunctionPointer resolve(const char *symbol);
    QString errorString() const { return m_library.errorString(); }

private:
    QLibrary m_library;
};
