#pragma once
// Play fields written as small boards, one 5 x 5 block per layer:
//
//   z=2        a layer header, then five rows y = 1..5 of five cells x = 1..5
//   R....
//   .....
//   ...
//
// '.' empty, R G B Y the colours 1..4, digits 5..9 the special kinds,
// 'F' kind 10, '*' a clearing cube (11). Layers not written are empty.

#include <string>
#include <string_view>

#include "game/GameState.h"

namespace quarnix::test {

// Empties the field, then fills the layers written in the board.
void SetField(GameState& state, std::string_view board);
// The field as a board: every non-empty layer, bottom first.
std::string FieldText(const GameState& state);
// A board in the form FieldText writes, for comparing with it.
std::string Board(std::string_view board);

// One 5 x 5 layer (the falling piece), without a header.
void SetLayer(FieldLayer& layer, std::string_view rows);
std::string LayerText(const FieldLayer& layer);
std::string Layer(std::string_view rows);

}  // namespace quarnix::test
