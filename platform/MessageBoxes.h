#pragma once

#include <QString>

class QWidget;

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Yes, No };

// Every modal message box of the program goes through here, so tests can read and answer them.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // The informative text, when there is one, is shown below the text in a smaller hand.
    virtual MessageAnswer show(QWidget *parent, const QString &text, const QString &title,
                               MessageButtons buttons, MessageIcon icon, const QString &informativeText = {}) = 0;
};
