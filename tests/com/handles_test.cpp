// The one owner of the Windows side's handles: whatever way a handle goes (the owner's end, a
// move, an out parameter), it is given back exactly once; one released to another owner, never.
#include "core/win32/Handles.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace {

// Each handle is the count of the times it was given back.
void GiveBack(int* closes) { ++*closes; }
using counted = core::win32::unique_any<int*, GiveBack>;

TEST(UniqueAny, GivesEachHandleBackOnceAndAReleasedOneNever) {
  std::array<int, 4> closes{};
  {
    counted first(&closes[0]), second(&closes[1]);
    first = std::move(second);
    counted third(std::move(first));
    *third.put() = &closes[2];
    EXPECT_EQ(&closes[2], third.get());
    counted released(&closes[3]);
    EXPECT_EQ(&closes[3], released.release());
    EXPECT_FALSE(released);
  }
  EXPECT_EQ((std::array<int, 4>{1, 1, 1, 0}), closes);
}

}  // namespace
