#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class DateTimeText;
class QLabel;
class QLineEdit;
class QWidget;
class RecordCursor;

// One-way bound views: each label or text box shows one field of the cursor's current or
// pending row, taken afresh whenever that row changes, and nothing is ever written back.
class BoundViews : public QObject
{
    Q_OBJECT

public:
    BoundViews(RecordCursor *cursor, const DateTimeText &dateTimeText, QObject *parent = nullptr);

    void bind(QLabel *view, const QString &field);
    void bind(QLineEdit *view, const QString &field);

private:
    struct Binding
    {
        QPointer<QWidget> view;
        QString field;
    };

    void showCurrentRow();
    void show(const Binding &binding);

    RecordCursor *m_cursor;
    const DateTimeText &m_dateTimeText;
    QList<Binding> m_bindings;
};
