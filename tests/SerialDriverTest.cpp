// The serial line driver and the serial key port on a real pseudo-terminal.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "arduinoSerialPort/ArduinoSerial.h"
#include "arduinoSerialPort/ArduinoSerialException.h"
#include "arduinoSerialPort/SerialPortBusyException.h"
#include "arduinoSerialPort/ArduinoSerialPort.h"
#include "arduinoSerialPort/serialport.h"
#include "simulator/PseudoTerminal.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// What the board end has received so far, waiting up to waitMs for it.
std::string drain(const PseudoTerminal& pty, int waitMs = 100) {
  std::string received;
  struct pollfd pfd = {pty.master(), POLLIN, 0};
  while (poll(&pfd, 1, waitMs) > 0 && (pfd.revents & POLLIN) != 0) {
    char buffer[512];
    const ssize_t n = read(pty.master(), buffer, sizeof buffer);
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  return received;
}

void answer(const PseudoTerminal& pty, const std::string& text) {
  ASSERT_EQ(write(pty.master(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

class SerialDriver : public testing::Test {
protected:
  PseudoTerminal pty;
  int open(int baudrate = 9600) { return serialport_init(pty.slavePath().c_str(), baudrate); }
  ~SerialDriver() override {
    for (int fd : fds) close(fd);
  }
  std::vector<int> fds;
  int opened(int baudrate = 9600) {
    const int fd = open(baudrate);
    fds.push_back(fd);
    return fd;
  }
};

TEST_F(SerialDriver, SetsTheLineTo8N1RawAndKeepsOtherSettings) {
  {  // settings the driver must leave alone
    const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    struct termios t;
    tcgetattr(fd, &t);
    t.c_iflag |= ICRNL | INLCR | IXON | IXANY;
    t.c_cflag |= PARENB | CSTOPB | CRTSCTS | HUPCL;
    t.c_lflag |= IEXTEN;
    tcsetattr(fd, TCSANOW, &t);
    close(fd);
  }
  const int fd = opened();
  ASSERT_GE(fd, 0);
  struct termios t;
  ASSERT_EQ(tcgetattr(fd, &t), 0);
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | INLCR), static_cast<tcflag_t>(ICRNL | INLCR));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHOE | ISIG), 0u);
  EXPECT_NE(t.c_lflag & IEXTEN, 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 20);
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
}

TEST_F(SerialDriver, MapsEachListedRateToItsSpeed) {
  const std::pair<int, speed_t> rates[] = {{4800, B4800},   {9600, B9600},   {19200, B19200},
                                           {38400, B38400}, {57600, B57600}, {115200, B115200}};
  for (const auto& rate : rates) {
    const int fd = open(rate.first);
    ASSERT_GE(fd, 0) << rate.first;
    struct termios t;
    tcgetattr(fd, &t);
    EXPECT_EQ(cfgetospeed(&t), rate.second) << rate.first;
    close(fd);  // also releases the lock for the next open
  }
}

TEST(SerialDriverOpen, ReportsAMissingDeviceOnceAndThrows) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(serialport_init("/nonexistent/tty", 9600), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "init_serialport: Unable to open port : No such file or directory\n");
  testing::internal::CaptureStderr();
  try {
    ArduinoSerial line("/nonexistent/tty", 9600);
    ADD_FAILURE() << "no exception";
  } catch (const ArduinoSerialException& e) {
    EXPECT_STREQ(e.what(), "ArduinoSerial failed:serial port init failed");
  }
  testing::internal::GetCapturedStderr();
}

TEST_F(SerialDriver, WritesStringsAndBytesAsGiven) {
  const int fd = opened();
  EXPECT_EQ(serialport_write(fd, ""), 0);
  EXPECT_EQ(drain(pty, 50), "");
  EXPECT_EQ(serialport_write(fd, "MEM"), 0);
  EXPECT_EQ(serialport_writebyte(fd, 0), 0);
  EXPECT_EQ(drain(pty), std::string("MEM\0", 4));
}

TEST_F(SerialDriver, ReadsUpToTheDelimiterAndLeavesTheRest) {
  const int fd = opened();
  answer(pty, "OK\nB\n");
  char buf[256];
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 1000), 0);
  EXPECT_STREQ(buf, "OK\n");
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 1000), 0);
  EXPECT_STREQ(buf, "B\n");
}

TEST_F(SerialDriver, WaitsForALateReply) {
  const int fd = opened();
  std::thread board([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    answer(pty, "OK");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    answer(pty, " M\n");
  });
  char buf[256];
  const auto start = Clock::now();
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 2000), 0);
  EXPECT_GE(secondsSince(start), 0.35);
  EXPECT_STREQ(buf, "OK M\n");
  board.join();
}

TEST_F(SerialDriver, BoundsTheWaitAndTheReplyLength) {
  const int fd = opened();
  char buf[256];
  auto start = Clock::now();
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 300), SERIALPORT_TIMEOUT);
  EXPECT_GE(secondsSince(start), 0.3);
  EXPECT_LT(secondsSince(start), 1.0);

  answer(pty, std::string(254, 'x') + "\n");  // the longest reply that fits
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 1000), 0);
  EXPECT_EQ(std::string(buf).size(), 255u);
  answer(pty, std::string(300, 'x') + "\n");
  EXPECT_EQ(serialport_read_until(fd, buf, '\n', sizeof buf, 1000), SERIALPORT_OVERFLOW);
  EXPECT_EQ(buf[255], '\0');
}

TEST_F(SerialDriver, LineObjectTurnsFailuresIntoExceptions) {
  ArduinoSerial line(pty.slavePath(), 9600);
  answer(pty, std::string("A\0B\n", 4));
  EXPECT_EQ(line.readUntil('\n'), "A");  // a NUL cuts the reply short
  answer(pty, std::string(300, 'y'));
  try {
    line.readUntil('\n');
    ADD_FAILURE() << "no exception";
  } catch (const ArduinoSerialException& e) {
    EXPECT_STREQ(e.what(), "ArduinoSerial failed:reply of 255 bytes or more without a line end");
  }
  drain(pty);
  pty.hangUp();
  EXPECT_THROW(line.writeString("M"), ArduinoSerialException);
  try {
    line.readUntil('\n');
    ADD_FAILURE() << "no exception";
  } catch (const ArduinoSerialException& e) {
    EXPECT_STREQ(e.what(), "ArduinoSerial failed:writeString");
  }
}

TEST_F(SerialDriver, ASecondOpenOfAHeldDeviceIsBusy) {
  const int fd = opened();
  ASSERT_GE(fd, 0);
  EXPECT_EQ(open(), SERIALPORT_BUSY);
  try {
    ArduinoSerial line(pty.slavePath(), 9600);
    ADD_FAILURE() << "no exception";
  } catch (const SerialPortBusyException& e) {
    EXPECT_EQ(std::string(e.what()), "serial device <" + pty.slavePath() + "> is busy: another program is using it");
  }
}

TEST(SerialKeyPort, HasOneCharacterForEachOfTheFifteenKeys) {
  std::string characters;
  for (int code = -1; code <= 300; ++code) characters += ArduinoSerialPort::keyCharacter(code);
  EXPECT_EQ(characters, "915E7S3+804M6-2");
}

TEST(SerialKeyPort, FailsQuietlyWithoutTheStartupPause) {
  testing::internal::CaptureStderr();
  const auto start = Clock::now();
  ArduinoSerialPort port("/nonexistent/tty", 9600);
  EXPECT_LT(secondsSince(start), 0.5);
  EXPECT_FALSE(port.initSucceeded());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "init_serialport: Unable to open port : No such file or directory\n");
  port.send(0xfb);  // a failed port sends nothing and does not fail
}

TEST(SerialKeyPort, WaitsForTheBoardAndTakesAnyReplyLine) {
  PseudoTerminal pty;
  const auto start = Clock::now();
  ArduinoSerialPort port(pty.slavePath(), 9600);
  EXPECT_GE(secondsSince(start), 2.0);
  ASSERT_TRUE(port.initSucceeded());
  answer(pty, "\n");  // an empty line completes a key press as well as any other
  const auto sent = Clock::now();
  port.send(0xf9);
  EXPECT_GE(secondsSince(sent), 0.05);
  EXPECT_EQ(drain(pty, 20), "0");
  port.init();  // opens the line again without tripping over its own lock
  EXPECT_TRUE(port.initSucceeded());
}

}  // namespace
