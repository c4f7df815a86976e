#include "Rig.h"

#include <iterator>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace quarnix::test {

namespace {

constexpr std::string_view Symbols = ".RGBY56789F*";

CellKind KindOf(char c) {
  if (Symbols.find(c) == std::string_view::npos)
    throw std::invalid_argument(std::string("board: unknown cell '") + c + "'");
  return static_cast<CellKind>(Symbols.find(c));
}
char SymbolOf(CellKind kind) {
  const int k = Index(kind);
  return k >= 0 && k < static_cast<int>(Symbols.size()) ? Symbols[static_cast<std::size_t>(k)] : '?';
}
std::vector<std::string> Words(std::string_view text) {
  std::istringstream in{std::string(text)};
  return {std::istream_iterator<std::string>(in), {}};
}
// Reads the rows from words[at] on, up to five, stopping at a layer header.
template <typename Cell>
std::size_t ReadRows(const std::vector<std::string>& words, std::size_t at, Cell cell) {
  for (int y = 1; y <= MaxFieldY && at < words.size() && words[at].rfind("z=", 0) != 0; ++y, ++at) {
    if (words[at].size() != MaxFieldX)
      throw std::invalid_argument("board: row '" + words[at] + "' is not 5 cells");
    for (int x = 1; x <= MaxFieldX; ++x) cell(x, y, KindOf(words[at][x - 1]));
  }
  return at;
}
// The 5 x 5 cells of a layer as " row row ...", trailing empty rows left out: empty when all are.
template <typename Cell>
std::string WriteRows(Cell cell) {
  std::string text;
  for (int y = 1; y <= MaxFieldY; ++y) {
    text += ' ';
    for (int x = 1; x <= MaxFieldX; ++x) text += SymbolOf(cell(x, y));
  }
  while (text.ends_with(" .....")) text.resize(text.size() - 6);
  return text;
}

}  // namespace

void SetField(GameState& state, std::string_view board) {
  state.CubeArray.Fill(CellKind::Empty);
  const auto words = Words(board);
  for (std::size_t i = 0; i < words.size();) {
    if (words[i].rfind("z=", 0) != 0)
      throw std::invalid_argument("board: expected 'z=N', got '" + words[i] + "'");
    const int z = std::stoi(words[i].substr(2));  // the field's bounds check catches a layer outside 1..10
    i = ReadRows(words, i + 1, [&](int x, int y, CellKind kind) { state.CubeArray(x, y, z) = kind; });
  }
}
std::string FieldText(const GameState& state) {
  std::string text;
  for (int z = 1; z <= MaxFieldZ; ++z)
    if (const auto rows = WriteRows([&](int x, int y) { return state.CubeArray(x, y, z); }); !rows.empty())
      text += (text.empty() ? "z=" : " z=") + std::to_string(z) + rows;
  return text;
}
void SetLayer(FieldLayer& layer, std::string_view rows) {
  layer.Fill(CellKind::Empty);
  const auto words = Words(rows);
  if (ReadRows(words, 0, [&](int x, int y, CellKind kind) { layer(x, y) = kind; }) != words.size())
    throw std::invalid_argument("layer: more than 5 rows");
}
std::string LayerText(const FieldLayer& layer) {
  const auto rows = WriteRows([&](int x, int y) { return layer(x, y); });
  return rows.empty() ? rows : rows.substr(1);
}

}  // namespace quarnix::test
