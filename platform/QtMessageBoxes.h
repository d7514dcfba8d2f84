#pragma once

#include "MessageBoxes.h"

class QtMessageBoxes : public MessageBoxes
{
public:
    MessageAnswer show(QWidget *parent, const QString &text, const QString &title,
                       MessageButtons buttons, MessageIcon icon, const QString &informativeText = {}) override;
};
