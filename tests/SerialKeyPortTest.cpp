// The serial key port on a pseudo-terminal, with a clock that records its
// pauses instead of taking them. The real pauses are checked on the wire
// (SerialEndToEndTest, FirmwareTest).
#include <gtest/gtest.h>

#include "arduinoSerialPort/ArduinoSerialPort.h"
#include "arduinoSerialPort/Clock.h"
#include "tests/support/PseudoTerminalIo.h"

namespace {

class RecordingClock : public Clock {
public:
  void pause(int ms) const override { pauses.push_back(ms); }
  mutable std::vector<int> pauses;
};

TEST(SerialKeyPort, HasOneCharacterForEachOfTheFifteenKeys) {
  std::string characters;
  for (int code = -1; code <= 300; ++code) characters += ArduinoSerialPort::keyCharacter(code);
  EXPECT_EQ(characters, "915E7S3+804M6-2");
}

// The board gets two seconds to start; then each key is one character, a
// pause and the reply, whatever line it is. The release code sends nothing.
TEST(SerialKeyPort, WaitsForTheBoardThenSendsACharacterAndReadsAReplyPerKey) {
  PseudoTerminal pty;
  RecordingClock clock;
  ArduinoSerialPort port(pty.slavePath(), 9600, clock);
  ASSERT_TRUE(port.initSucceeded());
  EXPECT_EQ(clock.pauses, std::vector<int>{2000});
  answer(pty, "\nok\n");
  port.send(0xf9);
  port.send(255);
  port.send(0xfb);
  port.sleepMs(15);
  EXPECT_EQ(drain(pty, 20), "0M");
  EXPECT_EQ(clock.pauses, (std::vector<int>{2000, 50, 50, 15}));
  port.init();  // opens the line again without tripping over its own lock
  EXPECT_TRUE(port.initSucceeded());
}

TEST(SerialKeyPort, AMissingDeviceFailsWithoutAPauseAndSendsNothing) {
  RecordingClock clock;
  testing::internal::CaptureStderr();
  ArduinoSerialPort port("/nonexistent/tty", 9600, clock);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "init_serialport: Unable to open port : No such file or directory\n");
  EXPECT_FALSE(port.initSucceeded());
  port.send(0xfb);
  port.init();
  EXPECT_FALSE(port.initSucceeded());
  EXPECT_TRUE(clock.pauses.empty());
}

}  // namespace
