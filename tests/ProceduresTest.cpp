// The procedures' checks of their numbers, and the device model's one
// instance. Their keys are checked on the wire (SerialEndToEndTest) and
// against the menu model (MenuTableTest).
#include <functional>

#include "frontend/CommandLine.h"
#include "ports/HardwarePortFactory.h"
#include "tests/support/Dad10Fixture.h"

namespace {

using Procedures = Dad10Fixture;

TEST_F(Procedures, OutOfRangeNumbersAreRefusedWithOneLine) {
  const std::string channel = "Dad10::setDad10Channel called with invalid channel : <";
  const std::string pedal = "Dad10::calibratePedal called with invalid pedal : <";
  const std::pair<std::function<bool()>, std::string> cases[] = {
      {[&] { return dad10.setDad10Channel(0); }, channel + "0>\n"},
      {[&] { return dad10.setDad10Channel(17); }, channel + "17>\n"},
      {[&] { return dad10.startCalibratePedal(0); }, pedal + "0>\n"},
      {[&] { return dad10.returnFromCalibratePedal(3); }, pedal + "3>\n"},
      {[&] { return dad10.calibratePedal(-2); }, pedal + "-2>\n"},
  };
  for (const auto& c : cases) {
    const Output output = capture([&] { EXPECT_FALSE(c.first()); });
    EXPECT_EQ(output.out + output.err, c.second);
  }
  EXPECT_TRUE(port->calls().empty());
  capture([&] {  // the ends of the ranges
    EXPECT_TRUE(dad10.setDad10Channel(1) && dad10.setDad10Channel(16) && dad10.startCalibratePedal(1) &&
                dad10.returnFromCalibratePedal(2));
  });
}

class CountingFactory : public HardwarePortFactory {
public:
  HardwarePort* createPort() override {
    ++created;
    return new SpyPort(false);
  }
  int created = 0;
};

// The free calibratePedal() of the command line checks the pedal before it
// creates the device model (which opens the serial line).
TEST(Dad10Instance, IsCreatedOnceWithTheFactorysPortAndNotForABadPedal) {
  CountingFactory factory;
  HardwarePortFactory::setInstance(&factory);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(calibratePedal(0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Dad10::calibratePedal called with invalid pedal : <0>\n");
  EXPECT_EQ(factory.created, 0);
  Dad10* first = Dad10::getInstance();
  EXPECT_EQ(Dad10::getInstance(), first);
  EXPECT_EQ(factory.created, 1);
  EXPECT_FALSE(first->initSucceeded());
  HardwarePortFactory::setInstance(nullptr);
}

}  // namespace
