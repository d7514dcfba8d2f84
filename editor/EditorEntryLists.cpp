#include "EditorEntryLists.h"

#include "Clock.h"
#include "EntryConversion.h"

#include <QComboBox>
#include <QStringList>

#include <utility>

namespace {

constexpr int FirstListedYear = 2004;
constexpr int LastListedYear = 2011;

// Fills a list with its whole numbers, ascending, while it keeps showing its design text.
void fillNumbers(QComboBox *list, int first, int last)
{
    const QString designText = list->currentText();
    QStringList entries;
    for (int value = first; value <= last; ++value)
        entries << QString::number(value);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    list->setEditText(designText);
}

// Selects the entry that stands for the value, or shows the value as typed text when the list has none.
void showValue(QComboBox *list, qint64 value, int firstEntry)
{
    const qint64 position = value - firstEntry;
    if (position >= 0 && position < list->count()) {
        list->setCurrentIndex(int(position));
    } else {
        list->setCurrentIndex(-1);
        list->setEditText(QString::number(value));
    }
}

// A stored value that cannot be read leaves the list empty, so that nothing stands in for it unseen.
void showNoValue(QComboBox *list)
{
    list->setCurrentIndex(-1);
    list->setEditText(QString());
}

} // namespace

EditorEntryLists::EditorEntryLists(const Lists &lists) : m_lists(lists) {}

void EditorEntryLists::fill()
{
    fillNumbers(m_lists.hour, 0, 23);
    fillNumbers(m_lists.hours, 0, 23);
    fillNumbers(m_lists.minute, 0, 59);
    fillNumbers(m_lists.second, 0, 59);
    fillNumbers(m_lists.minutes, 0, 59);
    fillNumbers(m_lists.seconds, 0, 59);
    fillNumbers(m_lists.day, 1, 31);
    fillNumbers(m_lists.days, 0, 31);
    fillNumbers(m_lists.month, 1, 12);
    fillNumbers(m_lists.year, FirstListedYear, LastListedYear);
}

void EditorEntryLists::preselectStart(const Clock &clock)
{
    // Each list reads the clock for itself, one after the other.
    m_lists.hour->setCurrentIndex(clock.now().time().hour());
    m_lists.minute->setCurrentIndex(clock.now().time().minute());
    m_lists.second->setCurrentIndex(clock.now().time().second());
    m_lists.day->setCurrentIndex(clock.now().date().day() - 1);
    m_lists.month->setCurrentIndex(clock.now().date().month() - 1);
    const int year = clock.now().date().year();
    if (year >= FirstListedYear && year <= LastListedYear) {
        m_lists.year->setCurrentIndex(year - FirstListedYear);
    } else {
        m_lists.year->setCurrentIndex(-1);
        m_lists.year->setEditText(QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
    }
}

void EditorEntryLists::showTask(QTime start, const std::optional<StoredLength> &length, QDate date)
{
    if (start.isValid()) {
        showValue(m_lists.hour, start.hour(), 0);
        showValue(m_lists.minute, start.minute(), 0);
        showValue(m_lists.second, start.second(), 0);
    } else {
        for (QComboBox *list : {m_lists.hour, m_lists.minute, m_lists.second})
            showNoValue(list);
    }

    if (length) {
        // Days beyond the list's last entry show as typed text.
        showValue(m_lists.days, length->days, 0);
        showValue(m_lists.hours, length->hours, 0);
        showValue(m_lists.minutes, length->minutes, 0);
        showValue(m_lists.seconds, length->seconds, 0);
    } else {
        for (QComboBox *list : {m_lists.days, m_lists.hours, m_lists.minutes, m_lists.seconds})
            showNoValue(list);
    }

    if (date.isValid()) {
        showValue(m_lists.day, date.day(), 1);
        showValue(m_lists.month, date.month(), 1);
        showValue(m_lists.year, date.year(), FirstListedYear);
    } else {
        for (QComboBox *list : {m_lists.day, m_lists.month, m_lists.year})
            showNoValue(list);
    }
}

void EditorEntryLists::resetStart()
{
    const std::pair<QComboBox *, const char *> designTexts[] = {{m_lists.hour, "12"}, {m_lists.minute, "00"},
                                                                {m_lists.second, "00"}, {m_lists.day, "01"},
                                                                {m_lists.month, "01"}, {m_lists.year, "01"}};
    for (const auto &[list, text] : designTexts) {
        list->setCurrentIndex(-1);
        list->setEditText(QString::fromLatin1(text));
    }
}

QString EditorEntryLists::startTimeText() const
{
    return m_lists.hour->currentText() + u':' + m_lists.minute->currentText() + u':' + m_lists.second->currentText();
}

QString EditorEntryLists::startDateText() const
{
    return m_lists.month->currentText() + u'-' + m_lists.day->currentText() + u'-' + m_lists.year->currentText();
}

StoreError EditorEntryLists::lengthSeconds(int *totalSeconds) const
{
    return EntryConversion::lengthSeconds(m_lists.days->currentText(), m_lists.hours->currentText(),
                                          m_lists.minutes->currentText(), m_lists.seconds->currentText(),
                                          totalSeconds);
}

QString EditorEntryLists::recordLengthText() const
{
    return EntryConversion::recordLengthText(m_lists.days->currentText(), m_lists.hours->currentText(),
                                             m_lists.minutes->currentText(), m_lists.seconds->currentText());
}
