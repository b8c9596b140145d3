// The simulated board on its own: one reply line per key character, and the
// device model fed with every key; and pmckeys-sim when it cannot start its
// command.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>

#include "arduinoSerialPort/serialport.h"
#include "simulator/DeviceMemory.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "simulator/SimulatorApp.h"

namespace {

std::string replyTo(PseudoTerminal& pty, SimulatedBoard& board, char c, SimulatedBoard::Reception& reception) {
  const int client = serialport_init(pty.slavePath().c_str(), 9600);  // raw, as the tool sets it
  EXPECT_EQ(write(client, &c, 1), 1);
  EXPECT_TRUE(board.serveOne(1000, reception));
  std::string reply;
  struct pollfd pfd = {client, POLLIN, 0};
  while (poll(&pfd, 1, 100) > 0) {
    char buffer[64];
    const ssize_t n = read(client, buffer, sizeof buffer);
    if (n <= 0) break;
    reply.append(buffer, static_cast<std::size_t>(n));
    if (reply.back() == '\n') break;
  }
  close(client);
  return reply;
}

TEST(SimulatedBoard, AnswersEachKeyAndNothingElse) {
  PseudoTerminal pty;
  SimulatedBoard board(pty);
  SimulatedBoard::Reception reception;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(replyTo(pty, board, 'M', reception), "ok\n");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));  // held, then released
  EXPECT_EQ(reception.keyCode, 0xfb);
  EXPECT_EQ(reception.keyName, "MENU/NEXT");
  EXPECT_EQ(reception.move.place, "EDITPATCH");

  EXPECT_EQ(replyTo(pty, board, 'A', reception), "");  // no answer
  EXPECT_EQ(reception.keyCode, 0);
  EXPECT_EQ(board.model().place(), "EDITPATCH");  // nothing pressed
  EXPECT_FALSE(board.serveOne(20, reception));
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
