#include "input/KeyObject.h"

#include <gtest/gtest.h>

using namespace quarnix;

namespace {

constexpr int KeyA = 65;

struct KeyObjectTest : testing::Test {
  ScriptedKeySource keyboard;
  KeyObject key{keyboard};
  void SetUp() override { key.SetpKey(KeyA); }
};

}  // namespace

TEST_F(KeyObjectTest, AHeldKeyIsReportedOnceAndAgainAfterARelease) {
  EXPECT_FALSE(key.isKeyPress());
  keyboard.Press(KeyA);
  EXPECT_TRUE(key.isKeyPress());
  for (int frame = 0; frame < 5; ++frame) {
    EXPECT_FALSE(key.isKeyPress()) << "frame " << frame;
    EXPECT_TRUE(key.isKeyHold()) << "frame " << frame;
  }
  keyboard.Release(KeyA);
  EXPECT_FALSE(key.isKeyPress());  // this poll sees the key up and clears the latch
  EXPECT_FALSE(key.isKeyHold());
  keyboard.Press(KeyA);
  EXPECT_TRUE(key.isKeyPress());
}

TEST_F(KeyObjectTest, PressesBetweenTwoPollsAreNotReportedTwice) {
  keyboard.Press(KeyA);
  ASSERT_TRUE(key.isKeyPress());
  // Released and pressed again between polls: the key never looked up to a poll.
  keyboard.Release(KeyA);
  keyboard.Press(KeyA);
  EXPECT_FALSE(key.isKeyPress());

  // Pressed and released entirely between polls, after being seen up: missed.
  keyboard.Release(KeyA);
  EXPECT_FALSE(key.isKeyPress());
  keyboard.Press(KeyA);
  keyboard.Release(KeyA);
  EXPECT_FALSE(key.isKeyPress());
  EXPECT_FALSE(key.isKeyPress());
}

TEST_F(KeyObjectTest, HoldTestLeavesTheLatchAlone) {
  keyboard.Press(KeyA);
  EXPECT_TRUE(key.isKeyHold());
  EXPECT_TRUE(key.isKeyHold());
  EXPECT_FALSE(key.KeyLatch());
  EXPECT_TRUE(key.isKeyPress());
  EXPECT_TRUE(key.isKeyHold());
  EXPECT_TRUE(key.KeyLatch());
}

TEST_F(KeyObjectTest, SetpKeyClearsTheLatch) {
  keyboard.Press(KeyA);
  ASSERT_TRUE(key.isKeyPress());
  key.SetpKey(KeyA);
  EXPECT_TRUE(key.isKeyPress());  // still held, reported anew
  keyboard.Press(90);
  key.SetpKey(90);
  EXPECT_EQ(key.KeyCode(), 90);
  EXPECT_TRUE(key.isKeyPress());
}

TEST(KeyObject, WithoutACodeNeverReports) {
  ScriptedKeySource keyboard;
  keyboard.Press(0);
  KeyObject unset{keyboard};
  KeyObject unattached;
  unattached.SetpKey(KeyA);
  keyboard.Press(KeyA);
  for (int poll = 0; poll < 3; ++poll) {
    EXPECT_FALSE(unset.isKeyPress());
    EXPECT_FALSE(unset.isKeyHold());
    EXPECT_FALSE(unattached.isKeyPress());
    EXPECT_FALSE(unattached.isKeyHold());
  }
}
