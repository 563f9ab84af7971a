#include "tools/phonedata/card_types.h"

namespace phonedata {

namespace {

// Carriers of the three-digit segments 130 to 199, one letter for each
// fourth digit 0 to 9:
//   M China Mobile (CMCC)   U China Unicom (CUCC)   T China Telecom (CTCC)
//   m, u, t the virtual operators on that carrier's network (CMCC_V, CUCC_V,
//   CTCC_V); "-" not allocated to any of these six.
// As publicly allocated: 1349 is the satellite block now run by China
// Telecom; 141/144/146/148 are the carriers' data-only blocks; 170 is split
// between the virtual operators of all three (1700-1702 Telecom, 1703, 1705
// and 1706 Mobile, 1704 and 1707-1709 Unicom); 162 is Telecom's, 165
// Mobile's and 167 and 171 Unicom's virtual-operator segment; 192 belongs to
// China Broadnet, which CARDTYPE does not name.
struct Segment {
  uint16_t segment;
  const char* byFourthDigit;
};

constexpr Segment kSegments[] = {
    {130, "UUUUUUUUUU"}, {131, "UUUUUUUUUU"}, {132, "UUUUUUUUUU"}, {133, "TTTTTTTTTT"},
    {134, "MMMMMMMMMT"}, {135, "MMMMMMMMMM"}, {136, "MMMMMMMMMM"}, {137, "MMMMMMMMMM"},
    {138, "MMMMMMMMMM"}, {139, "MMMMMMMMMM"}, {141, "TTTTTTTTTT"}, {144, "MMMMMMMMMM"},
    {145, "UUUUUUUUUU"}, {146, "UUUUUUUUUU"}, {147, "MMMMMMMMMM"}, {148, "MMMMMMMMMM"},
    {149, "TTTTTTTTTT"}, {150, "MMMMMMMMMM"}, {151, "MMMMMMMMMM"}, {152, "MMMMMMMMMM"},
    {153, "TTTTTTTTTT"}, {155, "UUUUUUUUUU"}, {156, "UUUUUUUUUU"}, {157, "MMMMMMMMMM"},
    {158, "MMMMMMMMMM"}, {159, "MMMMMMMMMM"}, {162, "tttttttttt"}, {165, "mmmmmmmmmm"},
    {166, "UUUUUUUUUU"}, {167, "uuuuuuuuuu"}, {170, "tttmummuuu"}, {171, "uuuuuuuuuu"},
    {172, "MMMMMMMMMM"}, {173, "TTTTTTTTTT"}, {174, "TTTTTTTTTT"}, {175, "UUUUUUUUUU"},
    {176, "UUUUUUUUUU"}, {177, "TTTTTTTTTT"}, {178, "MMMMMMMMMM"}, {180, "TTTTTTTTTT"},
    {181, "TTTTTTTTTT"}, {182, "MMMMMMMMMM"}, {183, "MMMMMMMMMM"}, {184, "MMMMMMMMMM"},
    {185, "UUUUUUUUUU"}, {186, "UUUUUUUUUU"}, {187, "MMMMMMMMMM"}, {188, "MMMMMMMMMM"},
    {189, "TTTTTTTTTT"}, {190, "TTTTTTTTTT"}, {191, "TTTTTTTTTT"}, {193, "TTTTTTTTTT"},
    {195, "MMMMMMMMMM"}, {196, "UUUUUUUUUU"}, {197, "MMMMMMMMMM"}, {198, "MMMMMMMMMM"},
    {199, "TTTTTTTTTT"},
};

CARDTYPE cardTypeOfLetter(char letter) {
  switch (letter) {
    case 'M':
      return CMCC;
    case 'U':
      return CUCC;
    case 'T':
      return CTCC;
    case 'm':
      return CMCC_V;
    case 'u':
      return CUCC_V;
    case 't':
      return CTCC_V;
    default:
      return UNKNOWN;
  }
}

}  // namespace

CARDTYPE cardTypeOfBlock(uint32_t block) {
  if (block < 1000000 || block > 9999999) return UNKNOWN;
  const uint32_t segment = block / 10000;
  const uint32_t fourthDigit = block / 1000 % 10;
  for (const Segment& s : kSegments) {
    if (s.segment == segment) return cardTypeOfLetter(s.byFourthDigit[fourthDigit]);
  }
  return UNKNOWN;
}

}  // namespace phonedata
