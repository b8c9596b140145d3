#include <sstream>

#include "commandmodel/CommandTable.h"
#include "frontend/CommandLine.h"
#include "tests/support/Dad10Fixture.h"

namespace {

using Procedures = Dad10Fixture;
using Keys = std::vector<int>;

const int MENU = KeyCode::MENU, ENTER = KeyCode::ENTER, PREV = KeyCode::PREV;
const Keys kToChannel{MENU, MENU, MENU, MENU, ENTER, ENTER, MENU, MENU};
const char* const kChannelTrail = "PREV PREV PREV ENTER PREV ENTER PREV PREV PREV PREV  ENTER";

// Replaces standard input for the life of the object.
class FakeStdin {
public:
  explicit FakeStdin(const std::string& text) : fText(text), fOld(std::cin.rdbuf(fText.rdbuf())) {}
  ~FakeStdin() {
    std::cin.rdbuf(fOld);
    std::cin.clear();
  }

private:
  std::istringstream fText;
  std::streambuf* fOld;
};

TEST_F(Procedures, ChannelDigitsFollowTheWayToTheChannelEntry) {
  const std::pair<int, Keys> cases[] = {
      {1, {0xf1}}, {5, {0xf2}}, {9, {0xf0}}, {10, {0xf1, 0xf9}}, {16, {0xf1, 0xfc}},
  };
  for (const auto& c : cases) {
    port->clear();
    const Output output = capture([&] { EXPECT_TRUE(dad10.setDad10Channel(c.first)); });
    Keys expected = kToChannel;
    expected.insert(expected.end(), c.second.begin(), c.second.end());
    const Keys back{PREV, PREV, PREV, ENTER, PREV, ENTER, PREV, PREV, PREV, PREV, ENTER};
    expected.insert(expected.end(), back.begin(), back.end());
    EXPECT_EQ(port->keys(), expected) << "channel " << c.first;
    EXPECT_EQ(output.out, kChannelTrail);
    EXPECT_EQ(output.err, "");
    EXPECT_TRUE(port->model().inPerformanceMode()) << "channel " << c.first;
  }
}

TEST_F(Procedures, OutOfRangeNumbersAreRefusedWithOneLine) {
  struct Case {
    std::function<bool(Dad10&)> call;
    const char* err;
  };
  const Case cases[] = {
      {[](Dad10& d) { return d.setDad10Channel(0); }, "Dad10::setDad10Channel called with invalid channel : <0>\n"},
      {[](Dad10& d) { return d.setDad10Channel(17); }, "Dad10::setDad10Channel called with invalid channel : <17>\n"},
      {[](Dad10& d) { return d.setDad10Channel(-1); }, "Dad10::setDad10Channel called with invalid channel : <-1>\n"},
      {[](Dad10& d) { return d.startCalibratePedal(0); }, "Dad10::calibratePedal called with invalid pedal : <0>\n"},
      {[](Dad10& d) { return d.startCalibratePedal(3); }, "Dad10::calibratePedal called with invalid pedal : <3>\n"},
      {[](Dad10& d) { return d.returnFromCalibratePedal(-2); },
       "Dad10::calibratePedal called with invalid pedal : <-2>\n"},
      {[](Dad10& d) { return d.calibratePedal(3); }, "Dad10::calibratePedal called with invalid pedal : <3>\n"},
  };
  for (const Case& c : cases) {
    port->clear();
    const Output output = capture([&] { EXPECT_FALSE(c.call(dad10)); });
    EXPECT_EQ(output.err, c.err);
    EXPECT_EQ(output.out, "");
    EXPECT_TRUE(port->calls().empty());
  }
}

TEST_F(Procedures, HalvesOfTheCalibrationPressTheirCompoundCommands) {
  capture([&] { EXPECT_TRUE(dad10.startCalibratePedal(1)); });
  EXPECT_EQ(port->keys().size(), 18u);
  EXPECT_EQ(port->model().place(), "SETUPEXPRPEDL1ENTER");
  port->clear();
  const Output output = capture([&] { EXPECT_TRUE(dad10.returnFromCalibratePedal(2)); });
  EXPECT_EQ(port->keys().size(), 21u);
  EXPECT_EQ(output.out + output.err, "");
}

TEST_F(Procedures, InteractiveCalibrationPromptsTwiceAndEndsInPerformanceMode) {
  const char* const prompts =
      "Place pedal 2 down, then\ntype \"ok\" followed by return key when done.\n"
      "Place pedal 2 up, then\ntype \"ok\" followed by return key when done.\ndone.\n";
  for (const char* input : {"ok\nok\n", "x y\n", "\n\n  ok\n  x\n", ""}) {
    port->clear();
    FakeStdin in(input);
    const Output output = capture([&] { EXPECT_TRUE(dad10.calibratePedal(2)); });
    EXPECT_EQ(output.out, prompts);
    EXPECT_EQ(port->keys().size(), 19u + 2u + 21u);
    EXPECT_TRUE(port->model().inPerformanceMode());
  }
}

TEST(FreeCalibratePedal, RefusesABadPedalWithoutCreatingTheDevice) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(calibratePedal(0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Dad10::calibratePedal called with invalid pedal : <0>\n");
}

}  // namespace
