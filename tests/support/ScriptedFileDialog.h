#pragma once

#include "FileDialog.h"

#include <QList>

// Stands in for the user at the file dialog: records every showing and gives the queued answers, else cancels.
class ScriptedFileDialog : public FileDialog
{
public:
    struct Showing
    {
        QString title;
        QStringList fileTypes;
        int selectedType;
    };

    void queueAnswer(const QString &path) { m_answers.append(path); }
    const QList<Showing> &showings() const { return m_showings; }

    QString askSaveFileName(QWidget *, const QString &title, const QStringList &fileTypes, int selectedType) override
    {
        m_showings.append({title, fileTypes, selectedType});
        return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
    }

private:
    QList<QString> m_answers;
    QList<Showing> m_showings;
};
