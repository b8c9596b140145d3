#include <list>

#include "commandmodel/CommandTable.h"
#include "ports/HardwarePortFactory.h"
#include "tests/support/Dad10Fixture.h"

namespace {

using KeyEngine = Dad10Fixture;
using Keys = std::vector<int>;

const int MENU = KeyCode::MENU, ENTER = KeyCode::ENTER, PREV = KeyCode::PREV;

TEST_F(KeyEngine, EachTokenIsOneEightCallPressOfItsCode) {
  const std::pair<const char*, int> cases[] = {
      {"menu", MENU}, {"Menu", MENU}, {"MENU", MENU}, {"next", MENU}, {"0xfb", MENU}, {"0XFB", MENU},
      {"0xFB", MENU}, {"9", 0xf0},    {"mode", 0xf0}, {"0", 0xf9},    {"n-on", 0xf6}, {"N-OFF", 0xfc},
      {"+", 0xf7},    {"-", 0xfd},    {"set", 0xf7},  {"bank", 0xfd}, {"send", PREV}, {"cc", 0xfe},
      {"0x0fb", MENU},
  };
  for (const auto& c : cases) {
    port->clear();
    const Output output = capture([&] { EXPECT_TRUE(press({c.first})); });
    EXPECT_EQ(port->calls(), pressOf(c.second)) << c.first;
    EXPECT_EQ(output.out + output.err, "") << c.first;
  }
}

TEST_F(KeyEngine, TokensThatNameNothingAreWarnedAboutAndSkipped) {
  const std::pair<const char*, const char*> cases[] = {
      {"foo", "FOO"}, {"0x0", "0X0"}, {"0x", "0X"}, {"fb", "FB"}, {"0xzz", "0XZZ"}, {"r", "R"},
      {"menu2", "MENU2"}, {"", ""}, {"\xc3\xa4", "\xc3\xa4"},
  };
  for (const auto& c : cases) {
    port->clear();
    const Output output = capture([&] { EXPECT_FALSE(press({c.first})); });
    EXPECT_EQ(output.err, std::string("WARNING: unknown command: <") + c.second + ">\n");
    EXPECT_TRUE(port->calls().empty()) << c.first;
  }
}

TEST_F(KeyEngine, AnUnknownTokenDoesNotStopTheRest) {
  const Output output = capture([&] { EXPECT_FALSE(press({"foo", "menu"})); });
  EXPECT_EQ(output.err, "WARNING: unknown command: <FOO>\n");
  EXPECT_EQ(port->keys(), Keys{MENU});
}

TEST_F(KeyEngine, CompoundCommandsExpandDepthFirstInOrder) {
  const std::pair<const char*, Keys> cases[] = {
      {"editbank", {MENU, MENU}},
      {"EXITEDITMENU", Keys(5, MENU)},
      {"midi", {MENU, MENU, MENU, MENU, ENTER}},
      {"endmididatadumpcomplete",
       {PREV, PREV, PREV, PREV, PREV, PREV, ENTER, PREV, ENTER, PREV, PREV, PREV, PREV, ENTER}},
      {"setupexprpedl2enter", {MENU, MENU, MENU, MENU, ENTER, MENU, MENU, MENU, MENU, MENU, MENU, MENU, ENTER,
                               MENU, MENU, MENU, MENU, MENU, ENTER}},
  };
  for (const auto& c : cases) {
    port->clear();
    const Output output = capture([&] { EXPECT_TRUE(press({c.first})); });
    EXPECT_EQ(port->keys(), c.second) << c.first;
    EXPECT_EQ(output.err, "") << c.first;
  }
  port->clear();
  press({"endcalibratepedal2"});
  ASSERT_EQ(port->keys().size(), 21u);
  EXPECT_EQ(port->calls().size(), 21u * 8u);
}

TEST_F(KeyEngine, ReturnAlongTheTrailOfTheWorkedExample) {
  press({"editpatch", "enter"}, false, true);
  std::vector<std::string> expected;
  for (int code : {MENU, ENTER}) {
    const auto one = pressOf(code);
    expected.insert(expected.end(), one.begin(), one.end());
  }
  expected.push_back("sleep 500");
  for (int code : {PREV, ENTER, PREV, ENTER}) {
    const auto one = pressOf(code);
    expected.insert(expected.end(), one.begin(), one.end());
  }
  EXPECT_EQ(port->calls(), expected);
  EXPECT_TRUE(dad10.trail().empty());
}

TEST_F(KeyEngine, TrailRecordsMenuAndEnterWaysBack) {
  struct Case {
    std::vector<std::string> tokens;
    Keys returnKeys;  // pressed after the 500 ms pause
    const char* shown;
  };
  const Case cases[] = {
      {{"menu", "menu", "enter"}, {PREV, ENTER, PREV, PREV, ENTER}, "PREV ENTER PREV PREV  ENTER"},
      {{"menu"}, {PREV, ENTER}, "PREV  ENTER"},
      {{"0xfb", "0xf3"}, {PREV, ENTER, PREV, ENTER}, "PREV ENTER PREV  ENTER"},
      {{"0"}, {ENTER}, " ENTER"},
      {{}, {ENTER}, " ENTER"},
      {{"editbanknr"}, {PREV, ENTER, PREV, PREV, ENTER}, "PREV ENTER PREV PREV  ENTER"},
  };
  for (const Case& c : cases) {
    port->clear();
    const Output output = capture([&] { press(c.tokens, true, true); });
    EXPECT_EQ(output.out, c.shown);
    const auto& calls = port->calls();
    const auto pause = std::find(calls.begin(), calls.end(), "sleep 500");
    ASSERT_NE(pause, calls.end());
    const Keys& keys = port->keys();
    const Keys returned(keys.end() - static_cast<long>(c.returnKeys.size()), keys.end());
    EXPECT_EQ(returned, c.returnKeys);
    EXPECT_EQ(static_cast<std::size_t>(calls.end() - pause - 1), c.returnKeys.size() * 8);
    EXPECT_TRUE(dad10.trail().empty());
  }
}

TEST_F(KeyEngine, DisplayWithoutReturnShowsTheEmptyTrailAndPressesNothingMore) {
  const Output output = capture([&] { press({"menu"}, true, false); });
  EXPECT_EQ(output.out, " ENTER");
  EXPECT_EQ(port->keys(), Keys{MENU});
}

TEST_F(KeyEngine, PressingLeavesTheCallersTokenUnchanged) {
  std::list<std::string> tokens{"menu", "enter"};
  dad10.pressSequence(tokens.begin(), tokens.end(), false, false);
  EXPECT_EQ(tokens, (std::list<std::string>{"menu", "enter"}));
}

TEST_F(KeyEngine, DecodersLookUpWithoutAddingEntries) {
  const std::size_t keys = Dad10::fgPmcKeyMap.size(), compounds = Dad10::fgPmcCompoundMap.size();
  EXPECT_EQ(keys, 28u);
  EXPECT_EQ(compounds, 72u);
  EXPECT_EQ(Dad10::decodeDad10Key("NOPE"), 0);
  EXPECT_EQ(Dad10::decodeCompound("NOPE"), "");
  EXPECT_EQ(Dad10::decodeSingleToken("0X41"), 65);
  EXPECT_EQ(Dad10::decodeSingleToken("0x41"), 0);  // callers fold to upper case first
  EXPECT_EQ(Dad10::decodeCompound("EDITPATCH"), "MENU");
  EXPECT_EQ(Dad10::fgPmcKeyMap.size(), keys);
  EXPECT_EQ(Dad10::fgPmcCompoundMap.size(), compounds);
}

class CountingFactory : public HardwarePortFactory {
public:
  HardwarePort* createPort() override {
    ++created;
    return new SpyPort(false);
  }
  int created = 0;
};

TEST(Dad10Singleton, IsCreatedOnceWithTheFactorysPort) {
  CountingFactory factory;
  HardwarePortFactory::setInstance(&factory);
  Dad10* first = Dad10::getInstance();
  EXPECT_EQ(Dad10::getInstance(), first);
  EXPECT_EQ(factory.created, 1);
  EXPECT_FALSE(first->initSucceeded());
  HardwarePortFactory::setInstance(nullptr);
}

}  // namespace
