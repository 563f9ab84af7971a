// Which carrier a mobile number block belongs to, from the public allocation
// of number segments to the carriers and to the virtual operators.
#pragma once

#include <cstdint>

#include "statics/phonedata.h"

namespace phonedata {

// The carrier of a seven-digit block (1380013 is CMCC); UNKNOWN for a segment
// that is not allocated to one of the six carriers of CARDTYPE.
CARDTYPE cardTypeOfBlock(uint32_t block);

}  // namespace phonedata
