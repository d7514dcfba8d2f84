#include "OutputFormat.h"

std::int16_t OutputFormatIndex = 2;
