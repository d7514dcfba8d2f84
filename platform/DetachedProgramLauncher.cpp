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

void startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // No stream stays tied to this program, so whatever reads its output sees it end when it ends.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

} // namespace

void DetachedProgramLauncher::launch(const QString &executable, const QString &argument)
{
    const QFileInfo info(executable);
    if (!info.isFile())
        return;
    // An absolute path, so that a bare name is never looked up on PATH instead.
    const QString program = info.absoluteFilePath();

    if (isWindowsProgram(program)) {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (!wine.isEmpty()) {
            startDetached(wine, {program, argument});
            return;
        }
    }
    if (info.isExecutable())
        startDetached(program, {argument});
}
