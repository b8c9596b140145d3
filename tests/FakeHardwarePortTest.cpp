#include <gtest/gtest.h>

#include "ports/FakeHardwarePort.h"

namespace {

const char* const kPrefix = "This is what I sent:";

TEST(FakeHardwarePort, RecordsTheDisplayNameOfEveryCode) {
  const std::pair<int, std::string> cases[] = {
      {0xf0, " 9/MODE"}, {0xf1, " 1/PC"},   {0xf2, " 5/CP"},     {0xf3, " ENTER"},   {0xf4, " 7/PB"},
      {0xf5, " PREV/SEND"}, {0xf6, " 3/N-ON"}, {0xf7, " +/SET"}, {0xf8, " 8/SYS"},   {0xf9, " 0"},
      {0xfa, " 4/KP"},   {0xfb, " MENU/NEXT"}, {0xfc, " 6/N-OFF"}, {0xfd, " -/BANK"}, {0xfe, " 2/CC"},
      {0xff, " RELEASE"}, {65, "  unknown key: <65>"}, {-1, "  unknown key: <-1>"}, {0, "  unknown key: <0>"},
  };
  testing::internal::CaptureStderr();
  FakeHardwarePort* port = FakeHardwarePort::instance();
  testing::internal::GetCapturedStderr();
  for (const auto& c : cases) {
    port->resetSequence();
    port->send(c.first);
    EXPECT_EQ(port->getSequence(), kPrefix + c.second) << "code " << c.first;
  }
}

TEST(FakeHardwarePort, ResetKeepsTheFlagAndSleepRecordsNothing) {
  testing::internal::CaptureStderr();
  FakeHardwarePort* port = FakeHardwarePort::instance();
  testing::internal::GetCapturedStderr();
  port->setSucceeded(false);
  port->send(0xfb);
  port->sleepMs(2000);
  port->resetSequence();
  EXPECT_EQ(port->getSequence(), kPrefix);
  EXPECT_FALSE(port->initSucceeded());
  port->setSucceeded(true);
}

TEST(FakeHardwarePort, AnnouncesItselfAndReportsWhatItSentWhenDestroyed) {
  testing::internal::CaptureStderr();
  FakeHardwarePort* port = FakeHardwarePort::instance();
  port->resetSequence();
  port->send(0xf0);
  port->send(255);
  HardwarePort* asPort = port;
  delete asPort;
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.substr(err.find("deleting")), "deleting FakeHardwarePort:  9/MODE RELEASE\n");

  testing::internal::CaptureStderr();
  FakeHardwarePort* fresh = FakeHardwarePort::instance();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "creating FakeHardwarePort\n");
  EXPECT_EQ(fresh->getSequence(), kPrefix);
  EXPECT_TRUE(fresh->initSucceeded());
}

}  // namespace
