#include "tools/phonedata/card_types.h"

#include <gtest/gtest.h>

namespace phonedata {
namespace {

TEST(CardTypeOfBlock, Allocation) {
  const std::pair<uint32_t, CARDTYPE> cases[] = {
      {1300000, CUCC},
      {1330000, CTCC},
      {1340000, CMCC},
      {1348999, CMCC},
      {1349000, CTCC},
      {1380013, CMCC},
      {1459999, CUCC},
      {1470000, CMCC},
      {1530000, CTCC},
      {1560000, CUCC},
      {1590000, CMCC},
      {1620000, CTCC_V},
      {1650000, CMCC_V},
      {1660000, CUCC},
      {1670000, CUCC_V},
      {1700000, CTCC_V},
      {1702999, CTCC_V},
      {1703000, CMCC_V},
      {1704000, CUCC_V},
      {1705000, CMCC_V},
      {1706999, CMCC_V},
      {1707000, CUCC_V},
      {1709999, CUCC_V},
      {1710000, CUCC_V},
      {1730000, CTCC},
      {1760000, CUCC},
      {1770000, CTCC},
      {1780000, CMCC},
      {1800000, CTCC},
      {1850000, CUCC},
      {1880000, CMCC},
      {1890000, CTCC},
      {1990000, CTCC},
      {1960000, CUCC},
      {1980000, CMCC},
      // Not allocated to one of the six carriers.
      {1400000, UNKNOWN},
      {1540000, UNKNOWN},
      {1790000, UNKNOWN},
      {1920000, UNKNOWN},
      {1290000, UNKNOWN},
      {999999, UNKNOWN},
      {10000000, UNKNOWN},
  };
  for (const auto& [block, type] : cases) EXPECT_EQ(cardTypeOfBlock(block), type) << block;
}

}  // namespace
}  // namespace phonedata
