#include <gtest/gtest.h>

#include <set>

#include "input/Keys.h"

using namespace quarnix;

namespace {
constexpr int KeyA = 65, KeyZ = 90;
}  // namespace

TEST(KeyObject, APressIsReportedOnceUntilAPollSeesTheKeyUp) {
  ScriptedKeySource keyboard;
  KeyObject key{keyboard};
  key.SetpKey(KeyA);
  // catches: a press reported twice, a latch cleared by a hold or kept past a seen release.
  // + press, - release, s set again; p/n a poll with/without a press, h/u held/up, L/l latched or not.
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
  const auto listed = ConfiguredKeyCodes();  // which keys these are is checked against the keyboard's codes
  const std::set<int> configured(listed.begin(), listed.end());
  const std::set<int> unnamed = {19, 20, 27, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 144};
  for (int code = -5; code <= 300; ++code) {
    const bool inTable = code >= 8 && code <= 144;
    EXPECT_EQ(!KeyName(code).empty(), configured.count(code) && !unnamed.count(code)) << code;
    if (inTable)
      EXPECT_EQ(keys.KeyTable(code).KeyCode(), 0) << code;
    else
      EXPECT_THROW(keys.KeyTable(code), std::out_of_range) << code;
  }
  keys.InitKeyTable();
  for (int code = 8; code <= 144; ++code)
    EXPECT_EQ(keys.KeyTable(code).KeyCode(), configured.count(code) ? code : 0);
  EXPECT_TRUE(std::ranges::is_sorted(listed));
  std::set<std::string> names;  // each name once; letters and digits their own character
  for (int code : listed) EXPECT_TRUE(KeyName(code).empty() || names.insert(KeyName(code)).second) << code;
  for (int d = 0; d < 10; ++d) EXPECT_EQ(KeyName(96 + d), "NumPad " + KeyName('0' + d)) << d;
  for (char c : std::string("AZ")) EXPECT_EQ(KeyName(c), std::string(1, c));
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
  for (int code : {10, 47, 91, 108, 130}) keyboard.Press(code);
  EXPECT_EQ(keys.GetPressedKey(), 0);
}
