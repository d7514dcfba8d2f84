#include "LibraryBesideProgram.h"

#include <QFileInfo>

LibraryBesideProgram::LibraryBesideProgram(const QString &fileName)
    : m_library(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + u'/' + fileName)
{
}

QFunctionPointer LibraryBesideProgram::resolve(const char *symbol)
{
    return m_library.resolve(symbol);
}
