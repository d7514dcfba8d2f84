#include "DetachedProgramLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

bool isWindowsProgram(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

bool startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // No stream stays tied to this program, so whatever reads its output sees it end when it ends.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

QString wineFor(const QString &program)
{
    return isWindowsProgram(program) ? QStandardPaths::findExecutable(QStringLiteral("wine")) : QString();
}

} // namespace

bool DetachedProgramLauncher::canLaunch(const QString &executable) const
{
    const QFileInfo info(executable);
    return info.isFile() && (info.isExecutable() || !wineFor(info.absoluteFilePath()).isEmpty());
}

bool DetachedProgramLauncher::launch(const QString &executable, const QString &argument)
{
    const QFileInfo info(executable);
    if (!info.isFile())
        return false;
    // An absolute path, so that a bare name is never looked up on PATH instead.
    const QString program = info.absoluteFilePath();
    const QString wine = wineFor(program);
    if (!wine.isEmpty())
        return startDetached(wine, {program, argument});
    return info.isExecutable() && startDetached(program, {argument});
}
