// The recording port: its own table of names, and what it says on standard error when it is created and destroyed.
#include <gtest/gtest.h>

#include "ports/FakeHardwarePort.h"

namespace {

// The one instance, its record emptied; what it said on creation is dropped.
FakeHardwarePort* emptied() {
  testing::internal::CaptureStderr();
  FakeHardwarePort* port = FakeHardwarePort::instance();
  testing::internal::GetCapturedStderr();
  port->resetSequence();
  return port;
}

TEST(FakeHardwarePort, RecordsTheNamesOfEveryCodeAndNothingForASleep) {
  FakeHardwarePort* port = emptied();
  port->setSucceeded(false);
  for (int code : {0xf0, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa, 0xfb, 0xfc, 0xfd, 0xfe}) {
    port->send(code);
    port->sleepMs(15);
  }
  for (int code : {0xff, 65, -1, 0}) port->send(code);
  EXPECT_EQ(port->getSequence(), "This is what I sent: 9/MODE 1/PC 5/CP ENTER 7/PB PREV/SEND 3/N-ON +/SET 8/SYS 0 "
                                 "4/KP MENU/NEXT 6/N-OFF -/BANK 2/CC RELEASE  unknown key: <65>  unknown key: <-1>  "
                                 "unknown key: <0>");
  port->resetSequence();
  EXPECT_EQ(port->getSequence(), "This is what I sent:");
  EXPECT_FALSE(port->initSucceeded());  // reset keeps the flag
  port->setSucceeded(true);
}

TEST(FakeHardwarePort, AnnouncesItselfAndReportsWhatItSentWhenDestroyed) {
  FakeHardwarePort* port = emptied();
  port->send(0xf0);
  port->send(255);
  testing::internal::CaptureStderr();
  delete static_cast<HardwarePort*>(port);
  FakeHardwarePort* fresh = FakeHardwarePort::instance();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "deleting FakeHardwarePort:  9/MODE RELEASE\ncreating FakeHardwarePort\n");
  EXPECT_EQ(fresh->getSequence(), "This is what I sent:");
  EXPECT_TRUE(fresh->initSucceeded());
}

}  // namespace
