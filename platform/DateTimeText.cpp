#include "DateTimeText.h"

#include <QList>

#include <algorithm>
#include <utility>

namespace {

// A format split into runs of one pattern letter (fields) and everything else (literals).
struct Piece
{
    QString text;
    bool field = false;
};

bool isPatternLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isFieldOf(const Piece &piece, QChar letter)
{
    return piece.field && piece.text.front() == letter;
}

QList<Piece> splitFormat(const QString &format)
{
    QList<Piece> pieces;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        qsizetype end = i + 1;
        if (c == u'\'') {
            // A quoted literal; a doubled quote inside it stands for one quote.
            while (end < format.size()) {
                if (format.at(end) != u'\'') {
                    ++end;
                } else if (end + 1 < format.size() && format.at(end + 1) == u'\'') {
                    end += 2;
                } else {
                    ++end;
                    break;
                }
            }
            pieces.append({format.mid(i, end - i), false});
        } else if (isPatternLetter(c)) {
            while (end < format.size() && format.at(end) == c)
                ++end;
            pieces.append({format.mid(i, end - i), true});
        } else {
            while (end < format.size() && !isPatternLetter(format.at(end)) && format.at(end) != u'\'')
                ++end;
            pieces.append({format.mid(i, end - i), false});
        }
        i = end;
    }
    return pieces;
}

QString joinFormat(const QList<Piece> &pieces)
{
    QString format;
    for (const Piece &piece : pieces)
        format += piece.text;
    return format;
}

bool isZoneSpacing(QChar c)
{
    return c.isSpace() || c == u'(' || c == u')' || c == u'[' || c == u']' || c == u',';
}

// The zone name changes with the season and cannot be read back, so it goes together with
// the spacing, brackets or comma that set it apart.
void removeZone(QList<Piece> &pieces)
{
    qsizetype i = 0;
    while (i < pieces.size()) {
        if (!isFieldOf(pieces.at(i), u't')) {
            ++i;
            continue;
        }
        pieces.removeAt(i);
        if (i > 0 && !pieces.at(i - 1).field) {
            QString &before = pieces[i - 1].text;
            while (!before.isEmpty() && isZoneSpacing(before.back()))
                before.chop(1);
            if (before.isEmpty()) {
                pieces.removeAt(i - 1);
                --i;
            }
        }
        if (i < pieces.size() && !pieces.at(i).field) {
            QString &after = pieces[i].text;
            while (!after.isEmpty() && isZoneSpacing(after.front()))
                after.remove(0, 1);
            if (after.isEmpty())
                pieces.removeAt(i);
        }
        if (i > 0 && i < pieces.size())
            pieces.insert(i, {QStringLiteral(" "), false});
    }
}

QString fourDigitYearFormat(const QString &shortDateFormat)
{
    QList<Piece> pieces = splitFormat(shortDateFormat);
    for (Piece &piece : pieces) {
        if (isFieldOf(piece, u'y'))
            piece.text = QStringLiteral("yyyy");
    }
    return joinFormat(pieces);
}

QString timeFormatWithSeconds(const QString &longTimeFormat)
{
    QList<Piece> pieces = splitFormat(longTimeFormat);
    removeZone(pieces);

    const auto hasField = [&pieces](QChar letter) {
        return std::any_of(pieces.cbegin(), pieces.cend(),
                           [letter](const Piece &piece) { return isFieldOf(piece, letter); });
    };

    // Qt does not know the day period 'B' (zh_TW) and would print the letter itself.
    if (!hasField(u'A') && !hasField(u'a')) {
        for (Piece &piece : pieces) {
            if (isFieldOf(piece, u'B'))
                piece.text = QStringLiteral("AP");
        }
    }

    if (!hasField(u's')) {
        qsizetype minutes = -1;
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (isFieldOf(pieces.at(i), u'm'))
                minutes = i;
        }
        if (minutes >= 0) {
            QString separator = QStringLiteral(":");
            if (minutes > 0 && !pieces.at(minutes - 1).field) {
                const QString &between = pieces.at(minutes - 1).text;
                if (!between.isEmpty() && std::none_of(between.cbegin(), between.cend(),
                                                       [](QChar c) { return c.isLetter(); }))
                    separator = between;
            }
            pieces.insert(minutes + 1, {separator, false});
            pieces.insert(minutes + 2, {QStringLiteral("ss"), true});
        }
    }
    return joinFormat(pieces);
}

bool datesReadBack(const QLocale &locale, const QString &format)
{
    for (const int year : {1999, 2000, 2024, 2026, 2099}) {
        for (int month = 1; month <= 12; ++month) {
            const QDate first(year, month, 1);
            for (const QDate &day : {first, first.addDays(9), first.addDays(first.daysInMonth() - 1)}) {
                if (locale.toDate(locale.toString(day, format), format) != day)
                    return false;
            }
        }
    }
    return true;
}

bool timesReadBack(const QLocale &locale, const QString &format)
{
    QList<QTime> times{QTime(0, 0, 0), QTime(12, 0, 0), QTime(23, 59, 59)};
    for (int hour = 0; hour < 24; ++hour)
        times.append(QTime(hour, (hour * 7 + 4) % 60, (hour * 13 + 5) % 60));
    return std::all_of(times.cbegin(), times.cend(), [&](QTime time) {
        return locale.toTime(locale.toString(time, format), format) == time;
    });
}

QString alternativesOf(QStringList texts)
{
    texts.removeAll(QString());
    // Longer texts first, so that one text that begins another does not cut it short.
    std::sort(texts.begin(), texts.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QStringList escaped;
    for (const QString &text : std::as_const(texts))
        escaped.append(QRegularExpression::escape(text));
    return escaped.join(u'|');
}

} // namespace

DateTimeText::DateTimeText(const QLocale &locale)
    : m_locale(locale)
    , m_dateFormat(fourDigitYearFormat(locale.dateFormat(QLocale::ShortFormat)))
    , m_timeFormat(timeFormatWithSeconds(locale.timeFormat(QLocale::LongFormat)))
    , m_amTexts{QStringLiteral("AM"), locale.amText()}
    , m_pmTexts{QStringLiteral("PM"), locale.pmText()}
{
    // A locale whose texts do not read back as the same value would lose recordings; those get ISO.
    const bool datesFit = datesReadBack(m_locale, m_dateFormat);
    const bool timesFit = timesReadBack(m_locale, m_timeFormat);
    if (!datesFit || !timesFit) {
        const QString isoDate = QStringLiteral("yyyy-MM-dd");
        const QString isoTime = QStringLiteral("HH:mm:ss");
        if (!datesFit)
            m_dateFormat = isoDate;
        if (!timesFit)
            m_timeFormat = isoTime;
        // Qt cannot read some digits back at all (Chakma, Adlam); those get plain ones.
        if (!datesReadBack(m_locale, m_dateFormat) || !timesReadBack(m_locale, m_timeFormat)) {
            m_locale = QLocale::c();
            m_dateFormat = isoDate;
            m_timeFormat = isoTime;
        }
    }

    const QString marks = alternativesOf(m_amTexts + m_pmTexts);
    m_clockPattern.setPattern(QStringLiteral("^(?:(%1)\\s*)?([0-9]{1,2}):([0-9]{2}):([0-9]{2})(?:\\s*(%1))?$")
                                  .arg(marks));
    m_clockPattern.setPatternOptions(QRegularExpression::CaseInsensitiveOption
                                     | QRegularExpression::UseUnicodePropertiesOption);
    m_clockPattern.optimize();
}

QString DateTimeText::dateText(QDate date) const
{
    if (!date.isValid())
        return {};
    return m_locale.toString(date, m_dateFormat);
}

QString DateTimeText::timeText(QTime time) const
{
    if (!time.isValid())
        return {};
    return m_locale.toString(time, m_timeFormat);
}

QDate DateTimeText::readDate(const QString &text) const
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QDate date = m_locale.toDate(trimmed, m_dateFormat);
    // Only a day's own text stands for it, so a short year or a slip never lands on another day.
    if (!date.isValid() || dateText(date) != trimmed)
        return {};
    return date;
}

QTime DateTimeText::readTime(const QString &text) const
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QTime time = m_locale.toTime(trimmed, m_timeFormat);
    if (time.isValid() && timeText(time).compare(trimmed, Qt::CaseInsensitive) == 0)
        return time;
    return readClock(trimmed);
}

// The forms people type whatever the locale: 9:00:00, 15:04:05, 3:04:05 PM, 下午3:04:05.
QTime DateTimeText::readClock(const QString &text) const
{
    const QRegularExpressionMatch match = m_clockPattern.match(text);
    if (!match.hasMatch())
        return {};
    const QString before = match.captured(1);
    const QString after = match.captured(5);
    if (!before.isEmpty() && !after.isEmpty())
        return {};

    int hour = match.captured(2).toInt();
    const int minute = match.captured(3).toInt();
    const int second = match.captured(4).toInt();
    const QString mark = before.isEmpty() ? after : before;
    if (!mark.isEmpty()) {
        if (hour < 1 || hour > 12)
            return {};
        const bool afternoon = m_pmTexts.contains(mark, Qt::CaseInsensitive);
        hour = hour % 12 + (afternoon ? 12 : 0);
    }
    if (!QTime::isValid(hour, minute, second))
        return {};
    return QTime(hour, minute, second);
}
