#pragma once

#include <QtGlobal>

namespace SampleLevel {

// The loudest of the samples in decibels below full scale; minus infinity for silence.
double peakDecibels(const qint16 *samples, qsizetype count);

} // namespace SampleLevel
