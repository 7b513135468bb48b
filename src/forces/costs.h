#pragma once

#include <cstdint>

#include "entities/ressource.h"

/// Spreads a price over NBTOURS turns in equal installments: each cost of
/// RESSNEC is raised to the nearest quantity that shares a divisor above 1 with
/// NBTOURS, then SCHEDULE gets, per resource, the smallest installment and
/// interval that pay it (cRessParTour::CALCUL).
/// - NBTOURS 0 or below: nothing changes and the schedule is left as it is.
/// - NBTOURS 1: no cost can share a divisor with 1; the cost is kept and paid
///   whole in one installment.
/// - A cost that would have to rise past 65535 is lowered to the nearest
///   payable quantity instead, rather than wrapping round to a small price.
void CALCULCOSTSCHEDULE(cArrayRessources& RESSNEC, cRessParTour& SCHEDULE, int32_t NBTOURS);
