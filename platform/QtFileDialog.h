#pragma once

#include "FileDialog.h"

class QtFileDialog : public FileDialog
{
public:
    QString askSaveFileName(QWidget *parent, const QString &title, const QStringList &fileTypes,
                            int selectedType) override;
};
