#include "Board.h"

#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace quarnix::test {

namespace {

constexpr std::string_view Symbols = ".RGBY56789F*";

CellKind KindOf(char c) {
  const auto at = Symbols.find(c);
  if (at == std::string_view::npos)
    throw std::invalid_argument(std::string("board: unknown cell '") + c + "'");
  return static_cast<CellKind>(at);
}

char SymbolOf(CellKind kind) {
  const int k = Index(kind);
  return k >= 0 && k < static_cast<int>(Symbols.size()) ? Symbols[static_cast<std::size_t>(k)] : '?';
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    const auto last = line.find_last_not_of(" \t");
    lines.push_back(line.substr(first, last - first + 1));
  }
  return lines;
}

template <typename Cell>
void ReadRows(const std::vector<std::string>& lines, std::size_t from, Cell cell) {
  if (from + MaxFieldY > lines.size()) throw std::invalid_argument("board: a layer needs 5 rows");
  for (int y = 1; y <= MaxFieldY; ++y) {
    const std::string& row = lines[from + y - 1];
    if (row.size() != MaxFieldX) throw std::invalid_argument("board: row '" + row + "' is not 5 cells");
    for (int x = 1; x <= MaxFieldX; ++x) cell(x, y, KindOf(row[x - 1]));
  }
}

}  // namespace

void SetField(GameState& state, std::string_view board) {
  state.CubeArray.Fill(CellKind::Empty);
  const auto lines = Lines(board);
  for (std::size_t i = 0; i < lines.size(); i += MaxFieldY + 1) {
    if (lines[i].rfind("z=", 0) != 0)
      throw std::invalid_argument("board: expected 'z=N', got '" + lines[i] + "'");
    const int z = std::stoi(lines[i].substr(2));
    if (z < 1 || z > MaxFieldZ)
      throw std::invalid_argument("board: layer " + std::to_string(z) + " outside 1..10");
    ReadRows(lines, i + 1, [&](int x, int y, CellKind kind) { state.CubeArray(x, y, z) = kind; });
  }
}

std::string FieldText(const GameState& state) {
  std::string text;
  for (int z = 1; z <= MaxFieldZ; ++z) {
    std::string layer;
    bool any = false;
    for (int y = 1; y <= MaxFieldY; ++y) {
      for (int x = 1; x <= MaxFieldX; ++x) {
        const CellKind kind = state.CubeArray(x, y, z);
        any |= IsCube(kind);
        layer += SymbolOf(kind);
      }
      layer += '\n';
    }
    if (any) text += "z=" + std::to_string(z) + "\n" + layer;
  }
  return text;
}

std::string Board(std::string_view board) {
  auto state = std::make_unique<GameState>();
  SetField(*state, board);
  return FieldText(*state);
}

void SetLayer(FieldLayer& layer, std::string_view rows) {
  const auto lines = Lines(rows);
  if (lines.size() != MaxFieldY) throw std::invalid_argument("layer: needs exactly 5 rows");
  ReadRows(lines, 0, [&](int x, int y, CellKind kind) { layer(x, y) = kind; });
}

std::string LayerText(const FieldLayer& layer) {
  std::string text;
  for (int y = 1; y <= MaxFieldY; ++y) {
    for (int x = 1; x <= MaxFieldX; ++x) text += SymbolOf(layer(x, y));
    text += '\n';
  }
  return text;
}

std::string Layer(std::string_view rows) {
  FieldLayer layer;
  SetLayer(layer, rows);
  return LayerText(layer);
}

}  // namespace quarnix::test
