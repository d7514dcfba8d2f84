#include "EmptyStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

QString EmptyStore::schemaText()
{
    // The schema lives in this static library; its resource must be registered by hand.
    Q_INIT_RESOURCE(schema);
    QFile schema(QStringLiteral(":/schema/AddSchTab.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(schema.readAll());
}

EmptyStore::Result EmptyStore::create(const QString &path, QString *errorText)
{
    auto fail = [errorText](const QString &text) {
        if (errorText)
            *errorText = text;
        return Result::Failed;
    };

    if (QFileInfo::exists(path))
        return Result::AlreadyExists;

    // Build the store under a temporary name and move it into place, so that no
    // half-made file is ever left under the real name.
    const QString partialPath = path + QStringLiteral(".partial");
    QFile::remove(partialPath);

    const QString connectionName = QUuid::createUuid().toString();
    const QString schema = schemaText();
    if (schema.trimmed().isEmpty())
        return fail(QStringLiteral("the table definition is missing from this build"));

    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(partialPath);
        if (!db.open()) {
            problem = db.lastError().text();
        } else {
            const QStringList statements = schema.split(QLatin1Char(';'), Qt::SkipEmptyParts);
            for (const QString &statement : statements) {
                QString sql;
                for (const QString &line : statement.split(QLatin1Char('\n'))) {
                    if (!line.trimmed().startsWith(QStringLiteral("--")))
                        sql += line + QLatin1Char('\n');
                }
                if (sql.trimmed().isEmpty())
                    continue;
                QSqlQuery query(db);
                if (!query.exec(sql)) {
                    problem = query.lastError().text();
                    break;
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);

    if (!problem.isEmpty()) {
        QFile::remove(partialPath);
        return fail(problem);
    }
    if (QFileInfo::exists(path)) {
        QFile::remove(partialPath);
        return Result::AlreadyExists;
    }
    if (!QFile::rename(partialPath, path)) {
        QFile::remove(partialPath);
        return fail(QStringLiteral("cannot move the new store into place"));
    }
    return Result::Created;
}
