#include "SampleLevel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace SampleLevel {

double peakDecibels(const qint16 *samples, qsizetype count)
{
    int peak = 0;
    for (qsizetype i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak == 0 ? -std::numeric_limits<double>::infinity() : 20.0 * std::log10(peak / 32768.0);
}

} // namespace SampleLevel
