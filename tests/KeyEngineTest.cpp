// The key engine on a spy port: how tokens decode into presses, and the trail that leads back. Where each compound
// command leads is checked against the menu model (MenuTableTest).
#include <list>

#include "commandmodel/CommandTable.h"
#include "tests/support/Dad10Fixture.h"

namespace {

using KeyEngine = Dad10Fixture;
using Keys = std::vector<int>;

const int MENU = KeyCode::MENU, ENTER = KeyCode::ENTER, PREV = KeyCode::PREV;

TEST_F(KeyEngine, EachTokenIsOneEightCallPressOfItsCode) {
  const std::pair<const char*, int> cases[] = {
      {"menu", MENU}, {"Menu", MENU},  {"next", MENU}, {"0xfb", MENU}, {"0XFB", MENU}, {"0x0fb", MENU},
      {"9", 0xf0},    {"n-on", 0xf6},  {"0", 0xf9},    {"+", 0xf7},    {"send", PREV},  {"cc", 0xfe},
  };
  for (const auto& c : cases) {
    port->clear();
    const Output output = capture([&] { EXPECT_TRUE(press({c.first})); });
    EXPECT_EQ(port->calls(), pressesOf({c.second})) << c.first;
    EXPECT_EQ(output.out + output.err, "") << c.first;
  }
}

TEST_F(KeyEngine, TokensThatNameNothingAreWarnedAboutAndSkipped) {
  const std::pair<const char*, const char*> cases[] = {
      {"foo", "FOO"}, {"0x0", "0X0"},     {"0x", "0X"}, {"fb", "FB"},           {"0xzz", "0XZZ"},
      {"r", "R"},     {"menu2", "MENU2"}, {"", ""},     {"\xc3\xa4", "\xc3\xa4"},
  };
  for (const auto& c : cases) {
    port->clear();
    const Output output = capture([&] { EXPECT_FALSE(press({c.first, "menu"})); });
    EXPECT_EQ(output.err, std::string("WARNING: unknown command: <") + c.second + ">\n");
    EXPECT_EQ(port->keys(), Keys{MENU}) << c.first;  // the rest is pressed
  }
}

// After the sequence, a pause and whole presses of the trail's keys; the trail is empty again afterwards.
TEST_F(KeyEngine, TrailLeadsBackAfterAPause) {
  const struct { std::vector<std::string> tokens; bool returnAlong; Keys back; const char* shown; } cases[] = {
      {{"menu", "next", "enter"}, true, {PREV, ENTER, PREV, PREV, ENTER}, "PREV ENTER PREV PREV  ENTER"},
      {{"0xfb", "0xf3"}, true, {PREV, ENTER, PREV, ENTER}, "PREV ENTER PREV  ENTER"},
      {{"editbanknr"}, true, {PREV, ENTER, PREV, PREV, ENTER}, "PREV ENTER PREV PREV  ENTER"},
      {{"0"}, true, {ENTER}, " ENTER"},
      {{}, true, {ENTER}, " ENTER"},
      {{"menu"}, false, {}, " ENTER"},  // shown, neither recorded nor pressed
  };
  for (const auto& c : cases) {
    port->clear();
    const Output output = capture([&] { press(c.tokens, true, c.returnAlong); });
    EXPECT_EQ(output.out, c.shown);
    const std::vector<std::string>& calls = port->calls();
    const auto pause = std::find(calls.begin(), calls.end(), "sleep 500");
    EXPECT_EQ(pause != calls.end(), c.returnAlong);
    EXPECT_EQ(std::vector<std::string>(pause == calls.end() ? pause : pause + 1, calls.end()), pressesOf(c.back));
    EXPECT_TRUE(dad10.trail().empty());
  }
}

TEST_F(KeyEngine, PressingLeavesTheCallersTokensUnchanged) {
  std::list<std::string> tokens{"menu", "enter"};
  dad10.pressSequence(tokens.begin(), tokens.end(), false, false);
  EXPECT_EQ(tokens, (std::list<std::string>{"menu", "enter"}));
}

}  // namespace
