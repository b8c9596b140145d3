// The simulated board on its own: one reply line per character, and the
// device model fed with every key.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "arduinoSerialPort/serialport.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"

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

TEST(SimulatedBoard, AnswersEachCharacterWithOneLine) {
  PseudoTerminal pty;
  SimulatedBoard board(pty);
  SimulatedBoard::Reception reception;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(replyTo(pty, board, 'M', reception), "OK M\n");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));  // held, then released
  EXPECT_EQ(reception.keyCode, 0xfb);
  EXPECT_EQ(reception.keyName, "MENU/NEXT");
  EXPECT_EQ(reception.move.place, "EDITPATCH");

  EXPECT_EQ(replyTo(pty, board, 'A', reception), "ERR unknown character 0x41\n");
  EXPECT_EQ(reception.keyCode, 0);
  EXPECT_EQ(board.model().place(), "EDITPATCH");  // nothing pressed
  EXPECT_FALSE(board.serveOne(20, reception));
}

}  // namespace
