// The serial key port on a pseudo-terminal, with a clock that records its pauses instead of taking them; a
// board stand-in answers at each pause. The real pauses are checked on the wire (SerialEndToEnd, Firmware).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/ioctl.h>

#include <deque>
#include <numeric>

#include "arduinoSerialPort/ArduinoSerialPort.h"
#include "arduinoSerialPort/Clock.h"
#include "tests/support/PseudoTerminalIo.h"

namespace {

// How the stand-in answers: from upAtMs on (the clock's time), one owed answer a pause, in order; each probe
// is owed `ready` (nothing when empty), each other byte "ok\n". A probe before upAtMs is lost unless kept.
struct BoardPlay { int upAtMs = 0; std::string ready; bool keepsEarlyProbes = false; };

class RecordingClock : public Clock {
public:
  explicit RecordingClock(const PseudoTerminal* board = nullptr, BoardPlay play = {}) : fBoard(board), fPlay(play) {}
  void pause(int ms) const override {
    pauses.push_back(ms);
    fNowMs += ms;
    if (fBoard != nullptr) playBoard();
  }
  long long nowUs() const override { return fNowMs * 1000LL; }
  int total() const { return std::accumulate(pauses.begin(), pauses.end(), 0); }
  mutable std::vector<int> pauses;
  mutable std::string received;

private:
  void playBoard() const {
    for (const char c : drain(*fBoard, 0)) {
      received += c;
      const bool heard = c != '?' || fNowMs >= fPlay.upAtMs || fPlay.keepsEarlyProbes;
      if (heard && !(c == '?' && fPlay.ready.empty())) fOwed.push_back(c == '?' ? fPlay.ready : "ok\n");
    }
    if (fNowMs < fPlay.upAtMs || fOwed.empty()) return;
    answer(*fBoard, fOwed.front());
    fOwed.pop_front();
  }
  const PseudoTerminal* fBoard;
  BoardPlay fPlay;
  mutable long long fNowMs = 0;
  mutable std::deque<std::string> fOwed;
};

// Bytes that have come to the tool's end of the line and not been read.
int pendingInput(const PseudoTerminal& pty) {
  const int fd = open(pty.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  int pending = -1;
  EXPECT_EQ(ioctl(fd, FIONREAD, &pending), 0);
  close(fd);
  return pending;
}

// A line with nothing behind it: twenty probes over the board's two seconds to start; then each key is one
// character, a pause and the reply, any line but `ready`. The release code sends nothing.
TEST(SerialKeyPort, WaitsForTheBoardThenSendsACharacterAndReadsAReplyPerKey) {
  PseudoTerminal pty;
  RecordingClock clock;
  ArduinoSerialPort port(pty.slavePath(), 9600, clock);
  ASSERT_TRUE(port.initSucceeded());
  EXPECT_EQ(drain(pty, 20), std::string(20, '?'));
  EXPECT_EQ(clock.total(), 2000);
  clock.pauses.clear();
  answer(pty, "\nok\n");
  port.send(0xf9);
  port.send(255);
  port.send(0xfb);
  port.sleepMs(15);
  EXPECT_EQ(drain(pty, 20), "0M");
  EXPECT_EQ(clock.pauses, (std::vector<int>{50, 50, 15}));
  port.init();  // opens the line again without tripping over its own lock
  EXPECT_TRUE(port.initSucceeded());
}

struct ProbeCase {
  const char* name;
  BoardPlay play;
  const char* before;  // on the line before the open
  std::string sent;    // the probes, then the key
  int startMs;         // the pauses before the key
};

// The key's reply must be the one read for it: nothing is left on the line.
const ProbeCase kProbeCases[] = {
    {"Up", {0, "ready\n"}, "", "?M", 10},
    {"IgnoresTheProbe", {0, ""}, "", std::string(20, '?') + "M", 2000},
    {"AStaleAnswerIsNone", {0, ""}, "ready\n", std::string(20, '?') + "M", 2000},
    {"AnotherAnswerIsNone", {0, "ERR unknown character 0x3f\n"}, "", std::string(20, '?') + "M", 2000},
    {"JustReset", {450, "ready\n"}, "", "??????M", 530},
    {"LateAnswerIsTakenBeforeTheKey", {150, "ready\n", true}, "", "??M", 160},
    {"WhatFollowsTheAnswerIsDiscarded", {0, "ready\nboard v1\n"}, "", "?M", 10},
};

void PrintTo(const ProbeCase& c, std::ostream* out) { *out << c.name; }

class SerialKeyPortProbe : public testing::TestWithParam<ProbeCase> {};

TEST_P(SerialKeyPortProbe, BeginsOnceTheBoardIsUp) {
  const ProbeCase& c = GetParam();
  PseudoTerminal pty;
  answer(pty, c.before);
  RecordingClock clock(&pty, c.play);
  ArduinoSerialPort port(pty.slavePath(), 9600, clock);
  ASSERT_TRUE(port.initSucceeded());
  EXPECT_EQ(clock.total(), c.startMs);
  port.send(0xfb);
  port.sleepMs(15);
  EXPECT_EQ(clock.received, c.sent);
  EXPECT_EQ(clock.total(), c.startMs + 65);
  EXPECT_EQ(pendingInput(pty), 0);
}

INSTANTIATE_TEST_SUITE_P(Boards, SerialKeyPortProbe, testing::ValuesIn(kProbeCases),
                         [](const testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

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
