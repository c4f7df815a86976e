// The name entry's keys and the name line's position.

#include <gtest/gtest.h>

#include <string>

#include "app/GameLoop.h"

using namespace quarnix;

namespace {

struct Name {
  FixedArray<int, GameNameLength> codes;
  int length = 0;
  Name() {
    for (int& c : codes) c = 32;
  }
  Name& Type(std::initializer_list<int> keys) {
    for (int k : keys) length = ApplyNameKey(codes, length, k);
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
  Name n;
  n.Type({'A', 'B', 8, 'C'});
  EXPECT_EQ(n.Text(), Padded("AC"));
  EXPECT_EQ(n.length, 2);
  n.Type({'0', ' ', '9', 46});
  EXPECT_EQ(n.Text(), Padded("AC0 "));
  n.Type({103});  // keypad 7
  EXPECT_EQ(n.Text(), Padded("AC0 7"));
  // Keys that are no characters change nothing; removing from nothing stays at nothing.
  n.Type({13, 27, 112, 190, 37, 106});
  EXPECT_EQ(n.Text(), Padded("AC0 7"));
  Name empty;
  empty.Type({8, 46});
  EXPECT_EQ(empty.length, 0);
  EXPECT_EQ(empty.Text(), Padded(""));
}
