#include "input/Keys.h"

#include <gtest/gtest.h>

#include <set>

using namespace quarnix;

namespace {

// The codes the key table leaves without a key, as the game's key list gives them.
bool LeftOut(int code) {
  const std::pair<int, int> gaps[] = {{10, 12}, {14, 15}, {21, 26}, {28, 31},   {41, 44},
                                      {47, 47}, {58, 64}, {91, 95}, {108, 108}, {124, 143}};
  for (auto [first, last] : gaps)
    if (code >= first && code <= last) return true;
  return false;
}

struct KeysTest : testing::Test {
  ScriptedKeySource keyboard;
  Keys keys{keyboard};
  void SetUp() override { keys.InitKeyTable(); }
};

}  // namespace

TEST(KeyTable, CoversCodes8To144Only) {
  ScriptedKeySource keyboard;
  Keys keys(keyboard);
  EXPECT_NO_THROW(keys.KeyTable(8));
  EXPECT_NO_THROW(keys.KeyTable(144));
  EXPECT_THROW(keys.KeyTable(7), std::out_of_range);
  EXPECT_THROW(keys.KeyTable(145), std::out_of_range);
  EXPECT_THROW(keys.KeyTable(0), std::out_of_range);
  EXPECT_THROW(keys.KeyTable(-1), std::out_of_range);
  // Before the set-up every entry is unconfigured.
  for (int code = 8; code <= 144; ++code) EXPECT_EQ(keys.KeyTable(code).KeyCode(), 0) << code;
}

TEST_F(KeysTest, SetUpGivesEachListedKeyItsOwnCode) {
  int configured = 0;
  for (int code = 8; code <= 144; ++code) {
    const int expected = LeftOut(code) ? 0 : code;
    EXPECT_EQ(keys.KeyTable(code).KeyCode(), expected) << code;
    configured += expected != 0;
  }
  EXPECT_EQ(configured, 84);
  const auto listed = ConfiguredKeyCodes();
  EXPECT_EQ(listed.size(), 84u);
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
  for (int code : listed) EXPECT_FALSE(LeftOut(code)) << code;
}

TEST_F(KeysTest, UnconfiguredCodesNeverReport) {
  for (int code : {10, 47, 91, 108, 130}) {
    keyboard.Press(code);
    EXPECT_FALSE(keys.KeyTable(code).isKeyPress()) << code;
    EXPECT_FALSE(keys.KeyTable(code).isKeyHold()) << code;
  }
  EXPECT_EQ(keys.GetPressedKey(), 0);
}

TEST_F(KeysTest, PressedKeyHighestCodeWinsAndEveryPressIsConsumed) {
  EXPECT_EQ(keys.GetPressedKey(), 0);
  keyboard.Press(65);  // A
  keyboard.Press(90);  // Z
  EXPECT_EQ(keys.GetPressedKey(), 90);
  // The poll consumed A's press too, although Z won.
  EXPECT_EQ(keys.GetPressedKey(), 0);
  keyboard.Release(90);
  EXPECT_EQ(keys.GetPressedKey(), 0);
  keyboard.Press(90);
  EXPECT_EQ(keys.GetPressedKey(), 90);
  keyboard.ReleaseAll();
  EXPECT_EQ(keys.GetPressedKey(), 0);
  keyboard.Press(65);
  EXPECT_EQ(keys.GetPressedKey(), 65);
}

TEST_F(KeysTest, APressFoundByThePollIsNotReportedAgainInTheSameFrame) {
  keyboard.Press(13);
  EXPECT_EQ(keys.GetPressedKey(), 13);
  EXPECT_FALSE(keys.KeyTable(13).isKeyPress());
  // The other way round: a key read directly is no longer new to the poll.
  keyboard.Press(32);
  EXPECT_TRUE(keys.KeyTable(32).isKeyPress());
  EXPECT_EQ(keys.GetPressedKey(), 0);
}

TEST_F(KeysTest, KeysWithoutANameStillReportPresses) {
  for (int code : {19, 20, 27, 112, 123, 144}) {
    keyboard.ReleaseAll();
    keys.GetPressedKey();
    keyboard.Press(code);
    EXPECT_EQ(keys.GetPressedKey(), code);
  }
}

TEST(KeyName, NamesFromTheKeyList) {
  EXPECT_EQ(KeyName(112), "");
  EXPECT_EQ(KeyName(65), "A");
  EXPECT_EQ(KeyName(90), "Z");
  EXPECT_EQ(KeyName(106), "NumPad *");
  EXPECT_EQ(KeyName(48), "0");
  EXPECT_EQ(KeyName(57), "9");
  EXPECT_EQ(KeyName(96), "NumPad 0");
  EXPECT_EQ(KeyName(105), "NumPad 9");
  const std::pair<int, const char*> named[] = {
      {8, "BackSpace"}, {9, "Tab"},     {13, "Enter"},     {16, "Shift"},     {17, "Control"},
      {18, "Alt"},      {32, "Space"},  {33, "PageUp"},    {34, "PageDown"},  {35, "End"},
      {36, "Home"},     {37, "Left"},   {38, "Up"},        {39, "Right"},     {40, "Down"},
      {45, "Insert"},   {46, "Delete"}, {107, "NumPad +"}, {109, "NumPad -"}, {110, "NumPad ."},
      {111, "NumPad /"}};
  for (auto [code, name] : named) EXPECT_EQ(KeyName(code), name) << code;
}

TEST(KeyName, OnlyConfiguredKeysHaveNamesAndTheFixedKeysHaveNone) {
  const std::set<int> unnamed = {19, 20, 27, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 144};
  int named = 0;
  for (int code = -5; code <= 300; ++code) {
    const bool inTable = code >= 8 && code <= 144 && !LeftOut(code);
    const bool hasName = !KeyName(code).empty();
    EXPECT_EQ(hasName, inTable && !unnamed.count(code)) << code;
    named += hasName;
  }
  EXPECT_EQ(named, 84 - 16);
}
