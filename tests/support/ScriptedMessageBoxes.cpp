#include "ScriptedMessageBoxes.h"

MessageAnswer ScriptedMessageBoxes::show(QWidget *, const QString &text, const QString &title,
                                         MessageButtons buttons, MessageIcon icon, const QString &informativeText)
{
    m_boxes.append({text, title, buttons, icon, informativeText});
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}
