// The board fixture reads what it writes and refuses what it cannot read.

#include <gtest/gtest.h>

#include <memory>

#include "Board.h"

using namespace quarnix;
using namespace quarnix::test;

TEST(Board, ReadsLayersAndCellsWhereTheyAreWritten) {
  auto s = std::make_unique<GameState>();
  SetField(*s, "  z=3\n  .R...\n  .....\n  ....9\n  .....\n  *....\n");
  EXPECT_EQ(s->CubeArray(2, 1, 3), CellKind::Red);
  EXPECT_EQ(s->CubeArray(5, 3, 3), CellKind::Tund);
  EXPECT_EQ(s->CubeArray(1, 5, 3), CellKind::CubeClear);
  EXPECT_EQ(FieldText(*s), "z=3\n.R...\n.....\n....9\n.....\n*....\n");
  EXPECT_THROW(SetField(*s, "z=1\nR....\n....."), std::invalid_argument);
  EXPECT_THROW(SetField(*s, "z=11\n.....\n.....\n.....\n.....\n....."), std::invalid_argument);
  EXPECT_THROW(SetField(*s, "z=1\nQ....\n.....\n.....\n.....\n....."), std::invalid_argument);
  EXPECT_THROW(SetField(*s, "R....\n.....\n.....\n.....\n....."), std::invalid_argument);
}
