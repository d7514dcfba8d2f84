#include "FormControls.h"

#include "Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace FormControls {

void place(QWidget *control, const char *name, int left, int top, int width, int height)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipsRect(left, top, width, height));
}

QGroupBox *addFrame(QWidget *parent, const char *name, int left, int top, int width, int height,
                    const QString &caption)
{
    auto *frame = new QGroupBox(caption, parent);
    place(frame, name, left, top, width, height);
    // Only the caption is blue and bold; the controls inside keep the window's font.
    frame->setStyleSheet(QStringLiteral("QGroupBox { color: rgb(0, 0, 255); font-weight: bold; }"));
    return frame;
}

QLabel *addLabel(QWidget *parent, const char *name, int left, int top, int width, int height, const QString &text)
{
    auto *label = new QLabel(text, parent);
    place(label, name, left, top, width, height);
    return label;
}

QPushButton *addButton(QWidget *parent, const char *name, int left, int top, int width, int height,
                       const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    place(button, name, left, top, width, height);
    return button;
}

} // namespace FormControls
