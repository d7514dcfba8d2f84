#include "StoredForm.h"

#include "ScheduleFields.h"

#include <QDate>
#include <QStringList>
#include <QTime>

namespace {

const QString IsoDateFormat = QStringLiteral("yyyy-MM-dd");
const QString IsoTimeFormat = QStringLiteral("HH:mm:ss");

// Whole numbers in fixed places of the text, separated by the given character; false when the text
// is not exactly of that form. Read by hand: a format-driven parse is far too slow for long lists.
bool readFixedNumbers(const QString &text, QChar separator, std::initializer_list<int> widths, int *numbers)
{
    qsizetype at = 0;
    for (const int width : widths) {
        if (at > 0) {
            if (at >= text.size() || text.at(at) != separator)
                return false;
            ++at;
        }
        int number = 0;
        for (int digit = 0; digit < width; ++digit, ++at) {
            if (at >= text.size() || text.at(at) < u'0' || text.at(at) > u'9')
                return false;
            number = number * 10 + (text.at(at).unicode() - u'0');
        }
        *numbers++ = number;
    }
    return at == text.size();
}

} // namespace

namespace StoredForm {

QString columnList()
{
    QStringList names;
    for (const auto field : ScheduleFields::All)
        names << field;
    return names.join(QStringLiteral(", "));
}

QDate readDate(const QString &text)
{
    int parts[3] = {};
    if (!readFixedNumbers(text, u'-', {4, 2, 2}, parts))
        return {};
    return QDate(parts[0], parts[1], parts[2]);
}

QTime readTime(const QString &text)
{
    int parts[3] = {};
    if (!readFixedNumbers(text, u':', {2, 2, 2}, parts))
        return {};
    return QTime(parts[0], parts[1], parts[2]);
}

QVariant toStored(const QVariant &value)
{
    if (!value.isValid())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(IsoDateFormat);
    case QMetaType::QTime:
        return value.toTime().toString(IsoTimeFormat);
    default:
        break;
    }
    const QString text = value.toString();
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace StoredForm
