#include "BoundViews.h"

#include "RecordCursor.h"
#include "ValueText.h"

#include <QLabel>
#include <QLineEdit>

BoundViews::BoundViews(RecordCursor *cursor, const DateTimeText &dateTimeText, QObject *parent)
    : QObject(parent)
    , m_cursor(cursor)
    , m_dateTimeText(dateTimeText)
{
    connect(m_cursor, &RecordCursor::currentRowChanged, this, &BoundViews::showCurrentRow);
}

void BoundViews::bind(QLabel *view, const QString &field)
{
    m_bindings.append({view, field});
    show(m_bindings.last());
}

void BoundViews::bind(QLineEdit *view, const QString &field)
{
    m_bindings.append({view, field});
    show(m_bindings.last());
}

void BoundViews::showCurrentRow()
{
    for (const Binding &binding : std::as_const(m_bindings))
        show(binding);
}

void BoundViews::show(const Binding &binding)
{
    const QString text = ValueText::of(m_cursor->fieldOrNull(binding.field), m_dateTimeText);
    if (auto *label = qobject_cast<QLabel *>(binding.view.data()))
        label->setText(text);
    else if (auto *lineEdit = qobject_cast<QLineEdit *>(binding.view.data()))
        lineEdit->setText(text);
}
