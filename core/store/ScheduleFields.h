#pragma once

#include <QLatin1StringView>

// The task table and its six fields, named once.
namespace ScheduleFields {

inline constexpr QLatin1StringView Table{"AddSchTab"};
inline constexpr QLatin1StringView StartDate{"StartDate"};
inline constexpr QLatin1StringView StartTime{"StartTime"};
inline constexpr QLatin1StringView Program{"Program"};
inline constexpr QLatin1StringView Filename{"Filename"};
inline constexpr QLatin1StringView Parameter{"Parameter"};
inline constexpr QLatin1StringView RecordLength{"RecordLength"};

inline constexpr QLatin1StringView All[] = {StartDate, StartTime, Program, Filename, Parameter, RecordLength};
inline constexpr int Count = 6;

// The start order in which both windows read the tasks.
inline constexpr QLatin1StringView OrderedQuery{
    "SELECT * From AddSchTab ORDER BY AddSchTab.StartDate, AddSchTab.StartTime"};

} // namespace ScheduleFields
