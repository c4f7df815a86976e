#pragma once
// Fields as small boards: "z=N" then up to five rows y = 1..5 of cells x = 1..5, e.g.
// "z=1 R.... .GG.. z=3 ..B..". '.' empty, RGBY colours 1..4, 5..9 specials, 'F' 10, '*' clearing (11).

#include <string>
#include <string_view>

#include "game/GameState.h"

namespace quarnix::test {

void SetField(GameState& state, std::string_view board);  // empties the field first
std::string FieldText(const GameState& state);            // every non-empty layer, bottom first
std::string Board(std::string_view board);                // a board as FieldText writes it
void SetLayer(FieldLayer& layer, std::string_view rows);  // one 5 x 5 layer, rows without a header
std::string LayerText(const FieldLayer& layer);
std::string Layer(std::string_view rows);

}  // namespace quarnix::test
