#include <gtest/gtest.h>

#include <set>

#include "input/Keys.h"

using namespace quarnix;

namespace {
constexpr int KeyA = 65, KeyZ = 90;

bool LeftOut(int code) {
  const std::pair<int, int> gaps[] = {{10, 12}, {14, 15}, {21, 26}, {28, 31},   {41, 44},
                                      {47, 47}, {58, 64}, {91, 95}, {108, 108}, {124, 143}};
  for (auto [first, last] : gaps)
    if (code >= first && code <= last) return true;
  return false;
}

}  // namespace

TEST(KeyObject, APressIsReportedOnceUntilAPollSeesTheKeyUp) {
  ScriptedKeySource keyboard;
  KeyObject key{keyboard};
  key.SetpKey(KeyA);
  // catches: a press reported twice, a latch cleared by a hold or kept past a seen release.
  // + press, - release, s name the key again; p/n a poll that does/does not report a press, h/u held/up,
  // L/l latched or not.
  const std::string script = "n+hlpLnhnhnh-+n-nu+-n+psp";
  for (std::size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (c == '+' || c == '-') (c == '+' ? keyboard.Press(KeyA) : keyboard.Release(KeyA));
    if (c == 's') key.SetpKey(KeyA);
    EXPECT_TRUE((c != 'p' && c != 'n') || key.isKeyPress() == (c == 'p')) << i;
    EXPECT_TRUE((c != 'h' && c != 'u') || key.isKeyHold() == (c == 'h')) << i;
    EXPECT_TRUE((c != 'L' && c != 'l') || key.KeyLatch() == (c == 'L')) << i;
  }
  keyboard.Press(KeyZ);
  key.SetpKey(KeyZ);
  EXPECT_TRUE(key.KeyCode() == KeyZ && key.isKeyPress());
  keyboard.Press(0);
  KeyObject unset{keyboard}, unattached;
  unattached.SetpKey(KeyA);
  for (int poll = 0; poll < 2; ++poll)
    for (KeyObject* k : {&unset, &unattached}) EXPECT_FALSE(k->isKeyPress() || k->isKeyHold());
}

TEST(Keys, TheTableHoldsCodes8To144TheSetUpGivesListedKeysCodesAndNamesThePollTakesTheHighestNewPress) {
  ScriptedKeySource keyboard;
  Keys keys(keyboard);
  const std::set<int> unnamed = {19, 20, 27, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 144};
  for (int code = -5; code <= 300; ++code) {
    const bool inTable = code >= 8 && code <= 144;
    EXPECT_EQ(!KeyName(code).empty(), inTable && !LeftOut(code) && !unnamed.count(code)) << code;
    if (inTable)
      EXPECT_EQ(keys.KeyTable(code).KeyCode(), 0) << code;
    else
      EXPECT_THROW(keys.KeyTable(code), std::out_of_range) << code;
  }
  keys.InitKeyTable();
  for (int code = 8; code <= 144; ++code) EXPECT_EQ(keys.KeyTable(code).KeyCode(), LeftOut(code) ? 0 : code);
  const auto listed = ConfiguredKeyCodes();
  EXPECT_TRUE(listed.size() == 84u && std::ranges::is_sorted(listed));
  for (int code : listed) EXPECT_FALSE(LeftOut(code)) << code;
  const std::pair<int, const char*> named[] = {
      {48, "0"},         {57, "9"},         {65, "A"},         {90, "Z"},         {96, "NumPad 0"},
      {105, "NumPad 9"}, {106, "NumPad *"}, {107, "NumPad +"}, {109, "NumPad -"}, {110, "NumPad ."},
      {111, "NumPad /"}, {8, "BackSpace"},  {9, "Tab"},        {13, "Enter"},     {16, "Shift"},
      {17, "Control"},   {18, "Alt"},       {32, "Space"},     {33, "PageUp"},    {34, "PageDown"},
      {35, "End"},       {36, "Home"},      {37, "Left"},      {38, "Up"},        {39, "Right"},
      {40, "Down"},      {45, "Insert"},    {46, "Delete"}};
  for (auto [code, name] : named) EXPECT_EQ(KeyName(code), name) << code;
  EXPECT_EQ(keys.GetPressedKey(), 0);
  keyboard.Press(KeyA), keyboard.Press(KeyZ);
  EXPECT_EQ((std::vector{keys.GetPressedKey(), keys.GetPressedKey()}), (std::vector{KeyZ, 0}));  // A consumed
  keyboard.ReleaseAll();
  EXPECT_EQ(keys.GetPressedKey(), 0);
  keyboard.Press(KeyA);
  EXPECT_EQ(keys.GetPressedKey(), KeyA);
  keyboard.Press(13);
  EXPECT_EQ(keys.GetPressedKey(), 13);
  EXPECT_FALSE(keys.KeyTable(13).isKeyPress());
  keyboard.Press(32);
  EXPECT_TRUE(keys.KeyTable(32).isKeyPress());
  EXPECT_EQ(keys.GetPressedKey(), 0);
  for (int code : {8, 19, 27, 112, 123, 144}) {
    keyboard.ReleaseAll(), keys.GetPressedKey(), keyboard.Press(code);
    EXPECT_EQ(keys.GetPressedKey(), code);
  }
  for (int code : {10, 47, 91, 108, 130}) {
    keyboard.Press(code);
    EXPECT_FALSE(keys.KeyTable(code).isKeyPress() || keys.KeyTable(code).isKeyHold()) << code;
  }
  EXPECT_EQ(keys.GetPressedKey(), 0);
}
