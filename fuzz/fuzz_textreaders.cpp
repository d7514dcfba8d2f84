// libFuzzer target for every reader of typed or stored text: the locale's dates and times, the
// editor's lengths, start times and start dates, the monitor's due check and the recorder's argument.
// The input is read as UTF-8 and as UTF-16; split at '|' it gives the fields of one task.

#include "DateTimeText.h"
#include "DecimalSum.h"
#include "EntryConversion.h"
#include "RecorderCommandLine.h"
#include "TaskDueCheck.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace {

// A broken rule ends the run like a crash, so libFuzzer keeps the input that shows it. The detail
// is made only then: formatting it for every input slows the fuzzing down several times.
template<typename Detail>
void require(bool holds, const char *rule, Detail detail)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken rule: %s\n%s\n", rule, qUtf8Printable(detail()));
    std::abort();
}

struct Reader
{
    const char *locale;
    DateTimeText texts;
};

const std::vector<Reader> &readers()
{
    static const std::vector<Reader> all = [] {
        std::vector<Reader> made;
        for (const char *name : {"en_US", "zh_CN", "de_DE", "C"})
            made.push_back({name, DateTimeText(QLocale(QString::fromLatin1(name)))});
        return made;
    }();
    return all;
}

std::uint64_t hashOf(const std::uint8_t *data, std::size_t size)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211ULL;
    return hash;
}

QString show(const QString &text)
{
    return QStringLiteral("[%1] (%2 characters)").arg(text.left(200)).arg(text.size());
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// A part of the editor's start time or date: ASCII white space around ASCII digits. Empty when it
// is not one; the value is empty too when it does not fit an int.
std::optional<std::optional<int>> wholePart(const QString &part)
{
    qsizetype begin = 0;
    qsizetype end = part.size();
    while (begin < end && isBlank(part.at(begin)))
        ++begin;
    while (end > begin && isBlank(part.at(end - 1)))
        --end;
    if (begin == end)
        return std::nullopt;
    qint64 value = 0;
    bool fits = true;
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = part.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        if (fits) {
            value = value * 10 + (c.unicode() - u'0');
            fits = value <= std::numeric_limits<int>::max();
        }
    }
    return fits ? std::optional<int>(int(value)) : std::optional<int>();
}

void checkDateTimeReaders(const QString &text)
{
    for (const Reader &reader : readers()) {
        const QDate date = reader.texts.readDate(text);
        if (date.isValid()) {
            require(reader.texts.dateText(date) == text.trimmed(), "a date is read only from its own text",
                    [&] { return QStringLiteral("%1 %2").arg(QLatin1String(reader.locale), show(text)); });
            require(reader.texts.readDate(reader.texts.dateText(date)) == date, "a read date reads back",
                    [&] { return show(text); });
        }
        const QTime time = reader.texts.readTime(text);
        if (time.isValid()) {
            require(time.msec() == 0, "a read time has whole seconds", [&] { return show(text); });
            require(reader.texts.readTime(reader.texts.timeText(time)) == time, "a read time reads back",
                    [&] { return QStringLiteral("%1 %2").arg(QLatin1String(reader.locale), show(text)); });
        }
    }
}

void checkProducedTexts(QDate date, QTime time)
{
    for (const Reader &reader : readers()) {
        require(reader.texts.readDate(reader.texts.dateText(date)) == date, "a date's text reads back",
                [&] {
                    return QStringLiteral("%1 %2").arg(QLatin1String(reader.locale), date.toString(Qt::ISODate));
                });
        require(reader.texts.readTime(reader.texts.timeText(time)) == time, "a time's text reads back",
                [&] {
                    return QStringLiteral("%1 %2").arg(QLatin1String(reader.locale), time.toString(Qt::ISODate));
                });
    }
}

// The three whole numbers of a start time or date, split at the separator. The parts are taken in
// order: the first one that is no whole number, or too large for an int, decides the error.
StoreError readThreeParts(const QString &text, QChar separator, int values[3])
{
    const QStringList parts = text.split(separator);
    if (parts.size() != 3)
        return EntryConversion::typeMismatch();
    for (int i = 0; i < 3; ++i) {
        const auto part = wholePart(parts.at(i));
        if (!part)
            return EntryConversion::typeMismatch();
        if (!*part)
            return EntryConversion::conversionError();
        values[i] = **part;
    }
    return {};
}

void checkStartTime(const QString &text)
{
    const QTime untouched(1, 2, 3);
    QTime time = untouched;
    const StoreError error = EntryConversion::readStartTime(text, &time);
    const auto detail = [&] {
        return QStringLiteral("error %1: %2").arg(error.number).arg(show(text));
    };

    int values[3] = {};
    const StoreError expected = readThreeParts(text, u':', values);
    if (expected) {
        require(error.number == expected.number && time == untouched,
                "a start time that is not three whole numbers is refused", detail);
        return;
    }
    if (values[0] >= 24 || values[1] >= 60 || values[2] >= 60) {
        require(error.number == EntryConversion::ConversionError && time == untouched,
                "a start time out of range is a conversion error", detail);
        return;
    }
    require(!error.failed() && time == QTime(values[0], values[1], values[2]),
            "a start time in range is read as typed", detail);
}

void checkStartDate(const QString &text)
{
    const QDate untouched(2001, 2, 3);
    QDate date = untouched;
    const StoreError error = EntryConversion::readStartDate(text, &date);
    const auto detail = [&] {
        return QStringLiteral("error %1: %2").arg(error.number).arg(show(text));
    };

    int values[3] = {};
    const StoreError expected = readThreeParts(text, u'-', values);
    if (expected) {
        require(error.number == expected.number && date == untouched,
                "a start date that is not three whole numbers is refused", detail);
        return;
    }
    int year = values[2];
    if (text.split(u'-').at(2).trimmed().size() <= 2)
        year += year < 30 ? 2000 : 1900;
    if (year < 100 || year > 9999 || !QDate::isValid(year, values[0], values[1])) {
        require(error.number == EntryConversion::ConversionError && date == untouched,
                "a start date that is no day of years 100 to 9999 is a conversion error", detail);
        return;
    }
    require(!error.failed() && date == QDate(year, values[0], values[1]), "a start date is read as typed",
            detail);
}

void checkLength(const QString &days, const QString &hours, const QString &minutes, const QString &seconds)
{
    constexpr int untouched = 12345;
    int total = untouched;
    const StoreError error = EntryConversion::lengthSeconds(days, hours, minutes, seconds, &total);
    const auto detail = [&] {
        return QStringLiteral("error %1, total %2: days %3, hours %4, minutes %5, seconds %6")
            .arg(error.number)
            .arg(total)
            .arg(show(days), show(hours), show(minutes), show(seconds));
    };

    const std::pair<const QString *, int> terms[] = {{&days, 86400}, {&hours, 3600}, {&minutes, 60}, {&seconds, 1}};
    // The parts are read in order: the first one that is no number or too large decides the error.
    DecimalSum sum;
    for (const auto &[text, factor] : terms) {
        if (!DecimalSum::isDecimal(*text)) {
            require(error.number == EntryConversion::TypeMismatch && total == untouched,
                    "a length part that is not a decimal number is a type mismatch", detail);
            return;
        }
        if (!DecimalSum::fitsDouble(*text)) {
            require(error.number == EntryConversion::Overflow && total == untouched,
                    "a length part too large for a double overflows", detail);
            return;
        }
        sum.add(*text, factor);
    }
    require(error.number == 0 || error.number == EntryConversion::Overflow,
            "a length of decimal numbers is read or overflows", detail);

    constexpr double largest = std::numeric_limits<qint32>::max();
    constexpr double smallest = std::numeric_limits<qint32>::min();
    const std::optional<qint64> rounded = sum.roundedHalfEven();
    if (sum.exactInDoubles()) {
        // Whole and half numbers of a few digits: doubles hold every step, so the result is exact.
        const bool fits = rounded && *rounded >= smallest && *rounded <= largest;
        if (fits)
            require(error.number == 0 && total == *rounded, "a length is the sum rounded half to even", detail);
        else
            require(error.number == EntryConversion::Overflow && total == untouched,
                    "a length beyond 32 bits overflows", detail);
        return;
    }

    // Otherwise the text's doubles may be off by a few units in the last place of the terms.
    const double slack = sum.magnitudes() * std::ldexp(1.0, -48);
    if (error.number == 0) {
        require(sum.distanceFrom(total) <= 0.5 + slack, "a length is the sum rounded", detail);
        return;
    }
    require(total == untouched, "an overflowing length leaves the total alone", detail);
    const bool surelyFits = std::isfinite(slack) && rounded && double(*rounded) - 1 - slack > smallest
                            && double(*rounded) + 1 + slack < largest;
    require(!surelyFits, "a length well within 32 bits does not overflow", detail);
}

// The whole number of seconds a stored length stands for, when it is one.
std::optional<qint64> storedLength(const QString &parameter)
{
    if (parameter.isEmpty() || parameter.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : parameter) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

void checkDue(const Reader &reader, const QString &dateText, const QString &timeText, const QString &parameter,
              const QDateTime &now)
{
    // On UTC's wall clock a start is simply its date and time.
    const TaskDueCheck::Result result = TaskDueCheck::check(reader.texts.readDate(dateText),
                                                            reader.texts.readTime(timeText), parameter, now,
                                                            QTimeZone::utc());
    const auto detail = [&] {
        return QStringLiteral("%1: date %2, time %3, length %4, now %5: verdict %6, stop %7")
            .arg(QLatin1String(reader.locale), show(dateText), show(timeText), show(parameter),
                 now.toString(Qt::ISODateWithMs))
            .arg(int(result.verdict))
            .arg(show(result.stopParameter));
    };
    using Verdict = TaskDueCheck::Verdict;

    const QDate date = reader.texts.readDate(dateText);
    const QTime time = reader.texts.readTime(timeText);
    if (!date.isValid() || !time.isValid()) {
        require(result.verdict == Verdict::Passed && result.stopParameter.isEmpty(),
                "a task whose start cannot be read is passed over", detail);
        return;
    }
    const qint64 lateMs = QDateTime(date, time, Qt::UTC).msecsTo(now);
    if (lateMs < 0) {
        require(result.verdict == Verdict::NotYet, "a task is not due before its start", detail);
        return;
    }
    if (lateMs < 1000) {
        require(result.verdict == Verdict::Due && result.stopParameter == parameter,
                "a task is due in its second with its own length", detail);
        return;
    }
    const qint64 lateSeconds = lateMs / 1000;
    std::optional<qint64> length = storedLength(parameter);
    // Digits and one line break after them may be read as the digits: the recorder is given a clean number.
    const std::optional<qint64> lengthBeforeBreak =
        parameter.endsWith(u'\n') ? storedLength(parameter.chopped(1)) : std::nullopt;
    if (!length && lengthBeforeBreak && result.verdict == Verdict::Due)
        length = lengthBeforeBreak;
    if (length && lateSeconds < *length) {
        require(result.verdict == Verdict::Due && result.stopParameter == QString::number(*length - lateSeconds),
                "a late task is due with the seconds that are left", detail);
        return;
    }
    require(result.verdict == Verdict::Passed && result.stopParameter.isEmpty(),
            "a task whose recording is over or whose length is no whole number is passed over", detail);
}

void checkParameterText(const QString &length, const QString &file)
{
    QString expected;
    expected.append(u"/t&");
    expected.append(length);
    expected.append(u"&/o&");
    expected.append(file);
    require(RecorderCommandLine::parameterText(length, file) == expected,
            "the recorder's argument is /t&, the length, &/o& and the file, as they are",
            [&] { return show(length) + QStringLiteral(" ") + show(file); });
}

QString partOr(const QStringList &parts, int index, const QString &otherwise)
{
    return index < parts.size() ? parts.at(index) : otherwise;
}

void checkText(const QString &text, std::uint64_t hash)
{
    checkDateTimeReaders(text);
    checkStartTime(text);
    checkStartDate(text);
    const QString zero = QStringLiteral("0");
    checkLength(text, zero, zero, zero);
    checkLength(zero, text, zero, zero);
    checkLength(zero, zero, text, zero);
    checkLength(zero, zero, zero, text);
    checkParameterText(text, text);

    const QStringList parts = text.split(u'|');
    if (parts.size() < 2)
        return;
    checkLength(parts.at(0), partOr(parts, 1, zero), partOr(parts, 2, zero), partOr(parts, 3, zero));
    checkParameterText(parts.at(0), parts.at(1));

    // The fields of a task as the main window shows them: date, time, length.
    const QString parameter = partOr(parts, 2, QStringLiteral("60"));
    const Reader &reader = readers().at(hash % readers().size());
    const QDate date = reader.texts.readDate(parts.at(0));
    const QTime time = reader.texts.readTime(parts.at(1));
    QDateTime now(QDate(2026, 3, 29), QTime(1, 30), Qt::UTC);
    if (date.isValid() && time.isValid())
        now = QDateTime(date, time, Qt::UTC).addMSecs(qint64(hash >> 40) % 8000 - 2000);
    checkDue(reader, parts.at(0), parts.at(1), parameter, now);
}

// A task made from the hash: its texts read back, and the monitor fires it in and after its second.
void checkProducedTask(std::uint64_t hash, const QString &parameter)
{
    const qint64 first = QDate(100, 1, 1).toJulianDay();
    const qint64 last = QDate(9999, 12, 31).toJulianDay();
    const QDate date = QDate::fromJulianDay(first + qint64(hash % std::uint64_t(last - first + 1)));
    const QTime time = QTime(0, 0).addSecs(int((hash >> 32) % 86400));
    checkProducedTexts(date, time);

    const std::optional<qint64> length = storedLength(parameter);
    const qint64 span = (length ? std::min<qint64>(*length, 100000) : 2) * 1000 + 4000;
    const qint64 offset = qint64((hash >> 20) % std::uint64_t(span)) - 2000;
    const QDateTime now = QDateTime(date, time, Qt::UTC).addMSecs(offset);
    for (const Reader &reader : readers())
        checkDue(reader, reader.texts.dateText(date), reader.texts.timeText(time), parameter, now);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint64_t hash = hashOf(data, size);
    const QString utf8 = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    checkText(utf8, hash);
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, std::size_t(utf16.size()) * sizeof(QChar));
    checkText(utf16, hash >> 7);

    const QStringList parts = utf8.split(u'|');
    checkProducedTask(hash, partOr(parts, 2, utf8.trimmed()));
    return 0;
}
