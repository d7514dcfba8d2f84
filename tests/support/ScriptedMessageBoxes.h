#pragma once

#include "MessageBoxes.h"

#include <QList>
#include <QString>

// Stands in for the user at message boxes: records every box and gives the queued answers, else No (or Ok).
class ScriptedMessageBoxes : public MessageBoxes
{
public:
    struct Box
    {
        QString text;
        QString title;
        MessageButtons buttons;
        MessageIcon icon;
        QString informativeText;
    };

    void queueAnswer(MessageAnswer answer) { m_answers.append(answer); }
    const QList<Box> &boxes() const { return m_boxes; }

    MessageAnswer show(QWidget *parent, const QString &text, const QString &title, MessageButtons buttons,
                       MessageIcon icon, const QString &informativeText = {}) override;

private:
    QList<MessageAnswer> m_answers;
    QList<Box> m_boxes;
};
