#pragma once

#include <QLatin1StringView>
#include <QStringView>

#include <optional>

// The task table and its six fields, named and placed once.
namespace ScheduleFields {

inline constexpr QLatin1StringView Table{"AddSchTab"};
inline constexpr QLatin1StringView StartDate{"StartDate"};
inline constexpr QLatin1StringView StartTime{"StartTime"};
inline constexpr QLatin1StringView Program{"Program"};
inline constexpr QLatin1StringView Filename{"Filename"};
inline constexpr QLatin1StringView Parameter{"Parameter"};
inline constexpr QLatin1StringView RecordLength{"RecordLength"};

// The fields in their stored order, which is also each one's place in All.
enum class Field : int { StartDate, StartTime, Program, Filename, Parameter, RecordLength };
inline constexpr QLatin1StringView All[] = {StartDate, StartTime, Program, Filename, Parameter, RecordLength};
inline constexpr int Count = 6;

// Field names are matched without regard to case.
inline std::optional<Field> fieldNamed(QStringView name)
{
    for (int i = 0; i < Count; ++i) {
        if (name.compare(All[i], Qt::CaseInsensitive) == 0)
            return Field(i);
    }
    return std::nullopt;
}

// The start order in which both windows read the tasks.
inline constexpr QLatin1StringView OrderedQuery{
    "SELECT * From AddSchTab ORDER BY AddSchTab.StartDate, AddSchTab.StartTime"};

} // namespace ScheduleFields
