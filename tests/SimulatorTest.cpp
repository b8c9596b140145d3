// The simulated board on its own: its replies, and the trace that tells a
// user where the device went and what a real device would have done.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

#include "arduinoSerialPort/serialport.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/SimulatedBoard.h"
#include "simulator/TraceWriter.h"

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

TEST(TraceWriter, MarksDangerAndAWayBackThatConfirmsAnOperation) {
  std::ostringstream out;
  TraceWriter trace(out, true);
  MenuModel model;
  double t = 2.0;
  auto key = [&](unsigned char c, int code) {
    SimulatedBoard::Reception r;
    r.character = c;
    r.keyCode = code;
    r.keyName = "K";
    r.move = model.press(code);
    trace.received(t, r, model);
    t += 0.1;
  };
  for (int i = 0; i < 4; ++i) key('M', 0xfb);  // UTILITIES
  key('E', 0xf3);                              // MIDI
  for (int i = 0; i < 6; ++i) key('M', 0xfb);  // FACTORYPRESETS
  key('E', 0xf3);                              // PRESSENTERRESET
  t += 0.5;
  key('S', 0xf5);
  key('E', 0xf3);
  trace.summary(model, 0);
  const std::string text = out.str();
  EXPECT_NE(text.find("!! FACTORYPRESETS: factory reset: erases every patch, bank and set (ENTER starts it)\n"),
            std::string::npos);
  EXPECT_NE(text.find("-- pause of 0.60 s: the return along the trail begins --\n"), std::string::npos);
  EXPECT_NE(text.find("WARNING: the return along the trail passes through PRESSENTERRESET"), std::string::npos);
  EXPECT_NE(text.find("!!! CARRIED OUT on a real device: factory reset: erases every patch, bank and set\n"),
            std::string::npos);
  EXPECT_NE(text.find("summary: 14 keys received: 4d 4d 4d 4d 45 4d 4d 4d 4d 4d 4d 45 53 45\n"), std::string::npos);
  EXPECT_NE(text.find("summary: the device was left in RESETCOMPLETE, not in performance mode\n"), std::string::npos);
  EXPECT_NE(text.find("summary: the command exited with status 0\n"), std::string::npos);
}

}  // namespace
