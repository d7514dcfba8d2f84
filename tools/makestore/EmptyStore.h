#pragma once

#include <QString>

// Makes a new store file holding the empty task table. An existing file is never touched.
class EmptyStore
{
public:
    enum class Result { Created, AlreadyExists, Failed };

    static Result create(const QString &path, QString *errorText = nullptr);
    static QString schemaText();
};
