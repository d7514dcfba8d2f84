#include "NewOutputFile.h"

#include "SyncedFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Far more than anyone keeps beside one name; past it something else is wrong.
constexpr int maxNumber = 10000;

} // namespace

NewOutputFile::NewOutputFile(const QString &requestedPath)
{
    for (int number = 1; number <= maxNumber; ++number) {
        m_path = numberedPath(requestedPath, number);
        auto file = std::make_unique<SyncedFile>();
        switch (file->create(m_path)) {
        case SyncedFile::Creation::Created:
            m_file = std::move(file);
            return;
        case SyncedFile::Creation::AlreadyThere:
            continue;
        case SyncedFile::Creation::Failed:
            m_error = QStringLiteral("无法创建输出文件 \"%1\": %2").arg(m_path, file->errorString());
            return;
        }
    }
    m_error = QStringLiteral("\"%1\" 旁已有太多同名文件。").arg(requestedPath);
}

QString NewOutputFile::numberedPath(const QString &path, int number)
{
    if (number == 1)
        return path;
    const QFileInfo file(path);
    const QString extension = file.suffix();
    QString name = file.fileName();
    name.chop(extension.size() + 1);
    return file.dir().filePath(QStringLiteral("%1 (%2).%3").arg(name).arg(number).arg(extension));
}
