#pragma once

#include "assessment/Facts.h"
#include "instrument/Visit.h"

namespace ovena::assessment {

// The readings of a visit as the instrument recorded it: its tests, and the instrument's mean
// of them or, without tests, its first plain measurement. Numbers are taken to the nearest
// thousandth (the instrument writes at most two decimals); the oil-derivative value counts as
// found when it is a number other than 0.
VisitReadings readingsOf(const instrument::Visit& visit);

} // namespace ovena::assessment
