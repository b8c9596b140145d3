// The simulated board on its own: it holds each key and answers it with one line, and ignores anything
// else; and pmckeys-sim when it cannot start its command.
#include <gtest/gtest.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

#include "arduinoSerialPort/serialport.h"
#include "simulator/DeviceMemory.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "simulator/SimulatorApp.h"
#include "simulator/TraceWriter.h"

namespace {

TEST(SimulatedBoard, HoldsAndAnswersEachKeyAndNothingElse) {
  PseudoTerminal pty;
  SimulatedBoard board(pty);
  SimulatedBoard::Reception reception;
  const int client = serialport_init(pty.slavePath().c_str(), 9600);  // raw, as the tool sets it
  ASSERT_EQ(write(client, "AM", 2), 2);
  EXPECT_TRUE(board.serveOne(1000, reception));
  EXPECT_EQ(reception.keyCode, 0);
  EXPECT_EQ(reception.move.place, MenuModel::PERFORMANCE_MODE);  // nothing pressed
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(board.serveOne(1000, reception));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));  // held, then released
  EXPECT_EQ(reception.move.place, "EDITPATCH");
  char reply[64];
  EXPECT_EQ(serialport_read_until(client, reply, '\n', sizeof reply, 1000), 0);
  EXPECT_STREQ(reply, "ok\n");
  EXPECT_EQ(serialport_read_until(client, reply, '\n', sizeof reply, 100), SERIALPORT_TIMEOUT);  // none for A
  EXPECT_FALSE(board.serveOne(20, reception));
  close(client);
}

// Without a process to spare the command cannot start: an error, not a board served for nobody.
TEST(SimulatorApp, ACommandThatCannotBeStartedIsAnError) {
  const auto withoutProcesses = [] {
    alarm(10);  // a simulator that serves on regardless is stopped here
    const struct rlimit none = {0, 0};  // binds everyone but root
    if ((getuid() == 0 && setuid(65534) != 0) || setrlimit(RLIMIT_NPROC, &none) != 0) _exit(99);
    const char* argv[] = {"pmckeys-sim", "--trace", "/dev/null", "--", "true", nullptr};
    _exit(runSimulator(5, const_cast<char**>(argv)));
  };
  EXPECT_EXIT(withoutProcesses(), testing::ExitedWithCode(1),
              std::string("^pmckeys-sim: cannot start <true>: ") + strerror(EAGAIN) + "\n$");
}

// On a terminal the command shares, a trace line clears what the command left on the line, only while it
// runs: afterwards nothing redraws it, and its last output may be a line without its end.
TEST(TraceWriter, ClearsTheSharedLineOnlyWhileTheCommandRuns) {
  std::ostringstream out;
  TraceWriter trace(out, false, true);
  trace.note("MIDI IN: a message");
  trace.commandEnded();
  trace.note("MIDI IN: the last");
  EXPECT_EQ(out.str(), "\r\033[K         MIDI IN: a message\n         MIDI IN: the last\n");
}

// A dump sent to the device replaces its memory only when it came whole.
TEST(DeviceMemory, TakesBackOnlyAWholeValidDump) {
  DeviceMemory memory(3000);  // three messages
  const std::vector<MidiBytes> dump = memory.dump();
  memory.factoryReset();
  const std::string factory = memory.describe();
  std::vector<MidiBytes> flipped = dump;
  flipped[1][500] ^= 1;
  const std::pair<std::vector<MidiBytes>, std::string> refused[] = {
      {{dump[0], dump[2]}, "message 3 of 3 out of order"},
      {flipped, "message 2 of 3 fails its checksum"},
      {{{0xF0, 0x7D, 0x01, 0xF7}}, "not a message of this device's dump"},
  };
  std::string why;
  for (const auto& c : refused) {
    std::string first;
    for (const MidiBytes& message : c.first) {
      if (memory.take(message, why) == DeviceMemory::Taken::Refused && first.empty()) first = why;
    }
    EXPECT_EQ(first, c.second);
    EXPECT_EQ(memory.describe(), factory);
  }
  for (const MidiBytes& message : dump) memory.take(message, why);
  EXPECT_EQ(memory.describe().substr(0, 57), "the user's patches, banks and sets, restored from a dump ");
}

}  // namespace
