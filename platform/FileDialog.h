#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The platform's file-save dialog, behind an interface so that tests can answer it.
class FileDialog
{
public:
    virtual ~FileDialog() = default;

    // Shows the save dialog with an empty file name, the file types given as "Description (*.ext)"
    // and the one at selectedType (counted from 0) offered first. It never asks about replacing
    // a file itself. The chosen path, or empty text when the user cancelled.
    virtual QString askSaveFileName(QWidget *parent, const QString &title, const QStringList &fileTypes,
                                    int selectedType) = 0;
};
