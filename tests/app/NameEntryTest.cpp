// The name entry's keys and the name line's position.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/GameLoop.h"
#include "input/Keys.h"

using namespace quarnix;

namespace {

struct Name {
  FixedArray<int, GameNameLength> codes;
  int length = 0;
  Name() {
    for (int& c : codes) c = 32;
  }
  // Keyboard keys and the pad's picker keys, as the panel applies both.
  Name& Type(std::initializer_list<int> keys) {
    for (int k : keys) length = ApplyPadNameKey(codes, ApplyNameKey(codes, length, k), k);
    return *this;
  }
  std::string Text() const {
    std::string t;
    for (int c : codes) t += static_cast<char>(c);
    return t;
  }
};

std::string Padded(const std::string& s) { return s + std::string(26 - s.size(), ' '); }

}  // namespace

TEST(NameEntry, CharactersAddAndBackspaceOrDeleteRemove) {
  Name n, empty;
  // 103 is keypad 7; keys that are no characters change nothing.
  for (auto [keys, text, length] : {std::tuple{std::vector<int>{'A', 'B', 8, 'C'}, "AC", 2},
                                    {{'0', ' ', '9', 46}, "AC0 ", 4},
                                    {{103}, "AC0 7", 5},
                                    {{13, 27, 112, 190, 37, 106}, "AC0 7", 5}}) {
    for (int k : keys) n.Type({k});
    EXPECT_EQ(std::pair(n.Text(), n.length), std::pair(Padded(text), length)) << text;
  }
  empty.Type({8, 46});  // removing from nothing stays at nothing
  EXPECT_EQ(std::pair(empty.Text(), empty.length), std::pair(Padded(""), 0));
}

TEST(NameEntry, ThePadPickerTurnsTheCharacterAtTheCursorAndMovesIt) {
  constexpr int U = VirtualKey::PadUp, D = VirtualKey::PadDown, L = VirtualKey::PadLeft,
                R = VirtualKey::PadRight;
  const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  struct Case {
    std::vector<int> keys;
    std::string text;
    int length;
  } cases[] = {
      {{U, U, R, D, R, D, D}, "B98", 2},     // A-Z, then 0-9 and the space; down runs back
      {{D, U, U}, "A", 0},                   // round from the space to A and back
      {{L, U, R, R, U, L, L, L}, "A A", 0},  // the cursor stops at the first slot; moving keeps the slots
      {{'A', 'B', L, U, R, 'D'}, "ACD", 3},  // the keyboard types where the cursor stands
      {{'A', 'B', 'C', L, L, 8}, " BC", 0},  // Backspace still takes the character before the cursor
  };
  for (const Case& c : cases) {
    Name n;
    for (int k : c.keys) n.Type({k});
    EXPECT_EQ(std::pair(n.Text(), n.length), std::pair(Padded(c.text), c.length)) << c.text;
  }
  // A full name: the cursor stands on the last slot, turns it, and steps back from there.
  Name n;
  for (char ch : full) n.Type({ch});
  n.Type({R, U});
  EXPECT_EQ(n.Text(), full.substr(0, 25) + "0");
  n.Type({L, D});
  EXPECT_EQ(n.Text(), full.substr(0, 24) + "X0");
  EXPECT_EQ(n.length, 24);
}
