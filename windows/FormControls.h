#pragma once

#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// Makes the controls of our forms: named by objectName, placed in twips relative to their container.
namespace FormControls {

QGroupBox *addFrame(QWidget *parent, const char *name, int left, int top, int width, int height,
                    const QString &caption);
QLabel *addLabel(QWidget *parent, const char *name, int left, int top, int width, int height,
                 const QString &text = {});
QPushButton *addButton(QWidget *parent, const char *name, int left, int top, int width, int height,
                       const QString &caption);
void place(QWidget *control, const char *name, int left, int top, int width, int height);

} // namespace FormControls
