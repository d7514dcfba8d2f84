#include "QtFileDialog.h"

#include <QFileDialog>

QString QtFileDialog::askSaveFileName(QWidget *parent, const QString &title, const QStringList &fileTypes,
                                      int selectedType)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The caller asks about an existing file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(fileTypes);
    dialog.selectNameFilter(fileTypes.value(selectedType));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
