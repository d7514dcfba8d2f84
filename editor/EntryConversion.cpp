#include "EntryConversion.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {

constexpr int SecondsPerDay = 86400;
constexpr int SecondsPerHour = 3600;
constexpr int SecondsPerMinute = 60;

// The dates a task can hold, as the stored year has four digits.
constexpr int FirstYear = 100;
constexpr int LastYear = 9999;

StoreError readNumber(const QString &text, double *number)
{
    static const QRegularExpression decimal(QStringLiteral("^\\s*[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)\\s*$"));
    if (!decimal.match(text).hasMatch())
        return EntryConversion::typeMismatch();
    bool ok = false;
    *number = text.trimmed().toDouble(&ok);
    // Only a number too large for a double is refused here; Qt also says "not ok" for one too
    // small, which is simply read as (nearly) zero.
    return ok || !std::isinf(*number) ? StoreError() : EntryConversion::overflow();
}

// Splits "a<separator>b<separator>c" into three whole numbers without sign.
StoreError readParts(const QString &text, QChar separator, int parts[3])
{
    static const QRegularExpression wholeNumber(QStringLiteral("^\\s*[0-9]+\\s*$"));
    const QStringList pieces = text.split(separator);
    if (pieces.size() != 3)
        return EntryConversion::typeMismatch();
    for (int i = 0; i < 3; ++i) {
        if (!wholeNumber.match(pieces.at(i)).hasMatch())
            return EntryConversion::typeMismatch();
        bool ok = false;
        parts[i] = pieces.at(i).trimmed().toInt(&ok);
        if (!ok)
            return EntryConversion::conversionError();
    }
    return {};
}

} // namespace

StoreError EntryConversion::lengthSeconds(const QString &days, const QString &hours, const QString &minutes,
                                          const QString &seconds, int *total)
{
    double numbers[4] = {};
    const QString *texts[4] = {&days, &hours, &minutes, &seconds};
    for (int i = 0; i < 4; ++i) {
        if (const StoreError error = readNumber(*texts[i], &numbers[i]))
            return error;
    }
    const double sum = numbers[0] * SecondsPerDay + numbers[1] * SecondsPerHour + numbers[2] * SecondsPerMinute
                       + numbers[3];
    // The default rounding mode takes a half to the even neighbour.
    const double rounded = std::nearbyint(sum);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<qint32>::min()
        || rounded > std::numeric_limits<qint32>::max())
        return overflow();
    *total = int(rounded);
    return {};
}

StoreError EntryConversion::readStartTime(const QString &text, QTime *time)
{
    int parts[3] = {};
    if (const StoreError error = readParts(text, u':', parts))
        return error;
    if (!QTime::isValid(parts[0], parts[1], parts[2]))
        return conversionError();
    *time = QTime(parts[0], parts[1], parts[2]);
    return {};
}

StoreError EntryConversion::readStartDate(const QString &text, QDate *date)
{
    int parts[3] = {};
    if (const StoreError error = readParts(text, u'-', parts))
        return error;
    const int month = parts[0];
    const int day = parts[1];
    int year = parts[2];
    if (text.section(u'-', 2).trimmed().size() <= 2)
        year += year < 30 ? 2000 : 1900;
    if (year < FirstYear || year > LastYear || !QDate::isValid(year, month, day))
        return conversionError();
    *date = QDate(year, month, day);
    return {};
}

QString EntryConversion::recordLengthText(const QString &days, const QString &hours, const QString &minutes,
                                          const QString &seconds)
{
    return days + QStringLiteral(" 天 ") + hours + QStringLiteral(" 小时 ") + minutes + QStringLiteral(" 分钟 ")
           + seconds + QStringLiteral(" 秒 之后");
}

StoreError EntryConversion::typeMismatch()
{
    return {TypeMismatch, QStringLiteral("Type mismatch")};
}

StoreError EntryConversion::overflow()
{
    return {Overflow, QStringLiteral("Overflow")};
}

StoreError EntryConversion::conversionError()
{
    return {ConversionError, QStringLiteral("Data type conversion error.")};
}
