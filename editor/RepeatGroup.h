#pragma once

#include "RepeatChoice.h"

#include <QObject>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QSpinBox;
class QWidget;

// The editor's repeat group: the current task's repeat, shown read-only while browsing and chosen
// while a task is entered. A rule it cannot show is offered as "其他规则" and kept as it is.
class RepeatGroup : public QObject
{
    Q_OBJECT

public:
    explicit RepeatGroup(QWidget *window);

    // Shows a task's stored rule; an empty one for a one-shot task.
    void showRule(const QString &rule, QDate start);
    void setEntry(bool entry);
    // The rule to store for a task that starts on this date; empty for no repeat.
    QString rule(QDate start) const;

    static constexpr auto OtherRuleCaption = "其他规则";

    QPushButton *cmdSkip = nullptr;

private:
    RepeatChoice choice() const;
    bool showsOtherRule() const;
    void enableParts();

    QComboBox *m_repeat = nullptr;
    QSpinBox *m_interval = nullptr;
    std::array<QCheckBox *, 7> m_days{};
    QComboBox *m_end = nullptr;
    QDateEdit *m_until = nullptr;
    QSpinBox *m_count = nullptr;
    QString m_otherRule;
    bool m_entry = false;
};
