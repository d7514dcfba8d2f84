#pragma once

#include <QDate>
#include <QString>

// Each occurrence of a series records to a file of its own: the task's file name with the
// occurrence's date before the extension ("早间新闻.mp3" on 8 December 2026 is "早间新闻 2026-12-08.mp3").
namespace SeriesFileName {

QString forDate(const QString &filename, QDate date);

} // namespace SeriesFileName
