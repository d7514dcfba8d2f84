#pragma once

#include <QString>

struct SeriesPlan;

// The grid's tooltip for a series' row: its repeat in words and its next three starts.
class SeriesToolTip
{
public:
    static constexpr int ShownStarts = 3;
    static constexpr auto UnreadableText = "重复规则无法读取, 本任务按单次任务录音: %1";

    static QString of(const SeriesPlan &plan);
    // The repeat alone, in words; the rule's own text when no words fit it.
    static QString words(const SeriesPlan &plan);
};
