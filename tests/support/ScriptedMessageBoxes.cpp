#include "ScriptedMessageBoxes.h"

MessageAnswer ScriptedMessageBoxes::show(QWidget *, const QString &text, const QString &title,
                                         MessageButtons buttons, MessageIcon icon)
{
    m_boxes.append({text, title, buttons, icon});
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}
