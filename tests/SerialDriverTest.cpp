// The serial line driver and the line object on a real pseudo-terminal. What the tool makes of their failures is
// checked end to end (SerialEndToEndTest).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "arduinoSerialPort/ArduinoSerial.h"
#include "arduinoSerialPort/ArduinoSerialException.h"
#include "arduinoSerialPort/SerialPortBusyException.h"
#include "arduinoSerialPort/serialport.h"
#include "tests/support/Expected.h"
#include "tests/support/PseudoTerminalIo.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class SerialDriver : public testing::Test {
protected:
  ~SerialDriver() override {
    for (int fd : fds) close(fd);
  }
  // Opened here, closed with the test.
  int opened() {
    fds.push_back(serialport_init(pty.slavePath().c_str(), 9600));
    return fds.back();
  }
  PseudoTerminal pty;
  std::vector<int> fds;
  char buf[256];
};

TEST_F(SerialDriver, SetsTheLineTo8N1RawAndKeepsOtherSettings) {
  struct termios t;
  const int before = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
  tcgetattr(before, &t);
  t.c_iflag |= ICRNL | INLCR | IXON | IXANY;  // the CR/LF mapping and IEXTEN stay, the rest goes
  t.c_cflag |= PARENB | CSTOPB | CRTSCTS | HUPCL;
  t.c_lflag |= ICANON | ECHO | ECHOE | ISIG | IEXTEN;
  t.c_oflag |= OPOST;
  tcsetattr(before, TCSANOW, &t);
  close(before);
  ASSERT_EQ(tcgetattr(opened(), &t), 0);
  const tcflag_t c = CS8 | CREAD | CLOCAL, i = ICRNL | INLCR, l = IEXTEN;
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL | CSIZE | CREAD | CLOCAL), c);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR), i);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHOE | ISIG | IEXTEN), l);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 20);
}

TEST_F(SerialDriver, MapsEachListedRateToItsSpeed) {
  const std::pair<int, speed_t> rates[] = {{4800, B4800},   {9600, B9600},   {19200, B19200},
                                           {38400, B38400}, {57600, B57600}, {115200, B115200}};
  for (const auto& rate : rates) {
    struct termios t;
    const int fd = serialport_init(pty.slavePath().c_str(), rate.first);
    ASSERT_EQ(tcgetattr(fd, &t), 0) << rate.first;
    EXPECT_EQ(cfgetispeed(&t), rate.second) << rate.first;
    EXPECT_EQ(cfgetospeed(&t), rate.second) << rate.first;
    close(fd);  // also releases the lock for the next open
  }
}

TEST_F(SerialDriver, ASecondOpenOfAHeldDeviceIsBusy) {
  ASSERT_GE(opened(), 0);
  EXPECT_EQ(opened(), SERIALPORT_BUSY);
  EXPECT_THROW(ArduinoSerial(pty.slavePath(), 9600), SerialPortBusyException);
}

// Also when the reply comes late and in pieces.
TEST_F(SerialDriver, WritesAsGivenAndReadsUpToTheDelimiterLeavingTheRest) {
  const int fd = opened();
  EXPECT_EQ(serialport_write(fd, "MEM"), 0);
  EXPECT_EQ(serialport_writebyte(fd, 0), 0);
  EXPECT_EQ(drain(pty), std::string("MEM\0", 4));
  const auto start = Clock::now();
  std::thread board([&] {
    std::this_thread::sleep_for(milliseconds(300));
    answer(pty, "OK");
    std::this_thread::sleep_for(milliseconds(100));
    answer(pty, " M\nB\n");
  });
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 2000), 0);
  EXPECT_GE(Clock::now() - start, milliseconds(400));
  EXPECT_STREQ(buf, "OK M\n");
  board.join();
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 1000), 0);
  EXPECT_STREQ(buf, "B\n");
}

TEST_F(SerialDriver, BoundsTheWaitAndTheReplyLength) {
  const int fd = opened();
  const auto start = Clock::now();
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 300), SERIALPORT_TIMEOUT);
  // 300 ms as asked; a read that blocked would wait out the line's own 2 s.
  EXPECT_GE(Clock::now() - start, milliseconds(300));
  EXPECT_LT(Clock::now() - start, milliseconds(1000));

  answer(pty, std::string(254, 'x') + "\n");  // the longest reply that fits
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 1000), 0);
  EXPECT_EQ(std::string(buf).size(), 255u);
  answer(pty, std::string(300, 'x') + "\n");
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 1000), SERIALPORT_OVERFLOW);
  EXPECT_EQ(buf[255], '\0');
}

TEST_F(SerialDriver, LineObjectCutsAReplyAtANulAndFailsOnAHungUpLine) {
  ArduinoSerial line(pty.slavePath(), 9600);
  answer(pty, std::string("A\0B\n", 4));
  EXPECT_EQ(line.readUntil('\n'), "A");
  char byte = 0;
  EXPECT_FALSE(line.readByte(byte));  // nothing has come, and it does not wait
  pty.hangUp();
  EXPECT_THROW(line.writeString("M"), ArduinoSerialException);
  expectThrow<ArduinoSerialException>([&] { line.readUntil('\n'); }, "ArduinoSerial failed:writeString");
  expectThrow<ArduinoSerialException>([&] { line.readByte(byte); }, "ArduinoSerial failed:readByte");
}

}  // namespace
