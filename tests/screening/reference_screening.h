// The screening rules applied literally, in their fixed order, one call at a
// time, every pattern compiled by ICU as it is tried: the reference that the
// compiled rules (ScreeningRules) are checked against, in the tests and in
// the benchmark's baseline. Not used by the tweak.
#pragma once

#include "statics/screening/screening.h"

ScreeningResult referenceScreenIncomingCall(const IncomingCallInfo& call, const Json& pref,
                                            const RegionLookup& regionLookup,
                                            const LabelLookup& labelLookup);
