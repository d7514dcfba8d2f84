#include "RepeatGroup.h"

#include "FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

using namespace FormControls;

namespace {

constexpr int RowHeight = 315;
constexpr int LabelHeight = 255;
constexpr int DayWidth = 525;
constexpr int DefaultCount = 10;

// The repeats in the order of RepeatChoice::Kind, then the ends in the order of RepeatChoice::End.
const QStringList Repeats = {QStringLiteral("不重复"), QStringLiteral("每天"), QStringLiteral("周一至周五"),
                             QStringLiteral("每周"), QStringLiteral("选定的星期")};
const QStringList Ends = {QStringLiteral("不结束"), QStringLiteral("直到"), QStringLiteral("共")};

template<typename Control>
Control *addControl(QWidget *parent, const char *name, int left, int top, int width)
{
    auto *control = new Control(parent);
    place(control, name, left, top, width, RowHeight);
    return control;
}

} // namespace

RepeatGroup::RepeatGroup(QWidget *window)
    : QObject(window)
{
    // Right of the existing groups, so that none of the window's controls moves.
    auto *frame = addFrame(window, "FraRepeat", 5775, 120, 3960, 4275, QStringLiteral("重复"));
    m_repeat = addControl<QComboBox>(frame, "CboRepeat", 240, 360, 2520);
    m_repeat->addItems(Repeats);
    addLabel(frame, "LabelRepeatEvery", 240, 885, 720, LabelHeight, QStringLiteral("间隔 :"));
    m_interval = addControl<QSpinBox>(frame, "TxtRepeatInterval", 960, 840, 900);
    m_interval->setRange(1, RepeatChoice::MostInterval);
    addLabel(frame, "LabelRepeatUnit", 1980, 885, 900, LabelHeight, QStringLiteral("天 / 周"));
    for (int day = 0; day < 7; ++day) {
        const QByteArray name = "ChkRepeatDay" + QByteArray::number(day + 1);
        m_days[day] = addControl<QCheckBox>(frame, name.constData(), 240 + day * DayWidth, 1320, DayWidth);
        m_days[day]->setText(RepeatChoice::dayName(day + 1));
    }
    addLabel(frame, "LabelRepeatEnd", 240, 1845, 720, LabelHeight, QStringLiteral("结束 :"));
    m_end = addControl<QComboBox>(frame, "CboRepeatEnd", 960, 1800, 1200);
    m_end->addItems(Ends);
    m_until = addControl<QDateEdit>(frame, "DtpRepeatUntil", 960, 2280, 1800);
    m_until->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_until->setCalendarPopup(true);
    m_count = addControl<QSpinBox>(frame, "TxtRepeatCount", 960, 2760, 1200);
    m_count->setRange(1, RepeatChoice::MostCount);
    addLabel(frame, "LabelRepeatCount", 2280, 2805, 600, LabelHeight, QStringLiteral("次"));
    cmdSkip = addButton(frame, "CmdSkip", 240, 3360, 1800, 375, QStringLiteral("跳过下一次"));
    cmdSkip->setEnabled(false);

    connect(m_repeat, &QComboBox::currentIndexChanged, this, &RepeatGroup::enableParts);
    connect(m_end, &QComboBox::currentIndexChanged, this, &RepeatGroup::enableParts);
    showRule({}, {});
}

void RepeatGroup::showRule(const QString &rule, QDate start)
{
    const std::optional<RepeatChoice> shown = rule.isEmpty() ? RepeatChoice() : RepeatChoice::fromRule(rule, start);
    m_otherRule = shown ? QString() : rule;
    while (m_repeat->count() > Repeats.size())
        m_repeat->removeItem(m_repeat->count() - 1);
    if (!shown)
        m_repeat->addItem(QString::fromUtf8(OtherRuleCaption));
    const RepeatChoice choice = shown.value_or(RepeatChoice());
    m_repeat->setCurrentIndex(shown ? int(choice.kind) : int(Repeats.size()));
    m_repeat->setToolTip(shown ? choice.words(start) : rule);
    m_interval->setValue(choice.interval);
    for (int day = 0; day < 7; ++day)
        m_days[day]->setChecked(choice.kind == RepeatChoice::Kind::ChosenDays && choice.days.contains(day + 1));
    m_end->setCurrentIndex(int(choice.end));
    m_until->setDate(choice.end == RepeatChoice::End::Until ? choice.until : start);
    m_count->setValue(choice.end == RepeatChoice::End::Count ? choice.count : DefaultCount);
    enableParts();
}

void RepeatGroup::setEntry(bool entry)
{
    m_entry = entry;
    enableParts();
}

QString RepeatGroup::rule(QDate start) const
{
    return showsOtherRule() ? m_otherRule : choice().toRule(start);
}

RepeatChoice RepeatGroup::choice() const
{
    RepeatChoice choice;
    choice.kind = RepeatChoice::Kind(m_repeat->currentIndex());
    choice.interval = m_interval->value();
    for (int day = 0; day < 7; ++day) {
        if (m_days[day]->isChecked())
            choice.days.append(day + 1);
    }
    choice.end = RepeatChoice::End(m_end->currentIndex());
    choice.until = m_until->date();
    choice.count = m_count->value();
    return choice;
}

bool RepeatGroup::showsOtherRule() const
{
    return m_repeat->currentIndex() >= Repeats.size();
}

void RepeatGroup::enableParts()
{
    const int kind = m_repeat->currentIndex();
    const bool repeats = m_entry && kind != int(RepeatChoice::Kind::Once) && !showsOtherRule();
    m_repeat->setEnabled(m_entry);
    m_interval->setEnabled(repeats);
    for (QCheckBox *day : m_days)
        day->setEnabled(repeats && kind == int(RepeatChoice::Kind::ChosenDays));
    m_end->setEnabled(repeats);
    m_until->setEnabled(repeats && m_end->currentIndex() == int(RepeatChoice::End::Until));
    m_count->setEnabled(repeats && m_end->currentIndex() == int(RepeatChoice::End::Count));
}
