// Scripts and the console as a user runs them: under pmckeys-sim, the console and pedal answers on tmux.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/SimRun.h"
#include "tests/support/Terminal.h"

namespace {

const std::string kExample = std::string(PMCKEYS_SOURCE_DIR) + "/docs/example-setup.txt";

SimRun traceOf(const std::string& traceFile) {
  EXPECT_TRUE(waitForFile(traceFile, "summary: the command exited with status"));
  const SimRun run = readTrace(traceFile);
  std::remove(traceFile.c_str());
  return run;
}

TEST(Script, EveryFormOnOneOpenLine) {
  const std::string script = readTestFile("script.txt");
  const SimRun run = runUnderSim({"--script", "-"}, {"--fault", "noready"}, script.c_str());
  EXPECT_EQ(run.process.status, 0);
  EXPECT_EQ(run.process.err, "");
  EXPECT_EQ(run.process.out, readTestFile("commands.txt") + "PMCCHANNEL 16\nPREV PREV PREV ENTER PREV ENTER PREV PREV "
                             "PREV PREV  ENTER\nPREV PREV PREV  ENTER\n" + readTestFile("cable.txt"));
  EXPECT_EQ(run.bytes, "4d 4d 4d 4d 45 45 4d 4d 31 36 53 53 53 45 53 45 53 53 53 53 45 "  // pmcchannel 16
                       "4d 4d 45 4d 53 53 45 53 53 45 4d 4d 4d 53 53 53 45 "  // keys, home, rd editset
                       "4d 4d 4d 4d 45 4d 4d 4d 4d 4d 4d 4d 45 4d 4d 4d 4d 45 45 45 "  // the pedal's setup
                       "4d 4d 45 4d 45 4d 45 4d 45 53 45 53 45");  // home, hex codes, home
  EXPECT_EQ(run.ending, "summary: the device ended in performance mode");
  ASSERT_GT(run.times.size(), 1u);
  EXPECT_GE(run.times[0], 2.0);  // the one pause after opening the line
  // The longest gap: the 0.5 s before a return and a key; a line opened again would give this board 2 s.
  for (std::size_t i = 1; i < run.times.size(); ++i) EXPECT_LT(run.times[i] - run.times[i - 1], 1.2) << i;
}

TEST(Script, IsCheckedWholeBeforeAnythingIsPressed) {
  const SimRun run = runUnderSim({"--script", "-"}, {},
                                 "r factorypresets enter\npmcchannel 17\npmcchannel\nbackup /etc/hostname\nbackup /etc/\n"
                                 "restore /nonexistent.syx\nverify /nonexistent.syx\nmenu foo\n--version\nhome\n"
                                 "editbank enter\nr editset\nhome\nexpndpatch\nhome\nquit\n");
  EXPECT_EQ(run.process.status, 1);
  EXPECT_EQ(run.process.err,
            "pmckeys: -:1: refused: the way back along the trail would confirm factory reset: erases every patch, "
            "bank and set at PRESSENTERRESET; press the keys without r and leave the menus by hand\n"
            "pmckeys: -:2: Dad10::setDad10Channel called with invalid channel : <17>\n"
            "pmckeys: -:3: channel number (1 to 16) required on command line!\n"
            "pmckeys: -:4: /etc/hostname exists: choose another name or remove it\n"
            "pmckeys: -:5: cannot save a backup as </etc/>: Is a directory\n"
            "pmckeys: -:6: cannot read /nonexistent.syx: No such file or directory\n"
            "pmckeys: -:7: cannot read /nonexistent.syx: No such file or directory\n"
            "pmckeys: -:8: WARNING: unknown command: <FOO>\n"
            "pmckeys: -:9: --version is an option of the command line, not a command\n"
            "pmckeys: -:12: refused: r works from performance mode only, and the device is at EDITBANKNR: put home "
            "before it\n"
            "pmckeys: -:15: refused: no way home from EXPNDPATCH that the model knows: ENTER there confirms rewrites "
            "patches (expands running status); leave the step by hand\n"
            "pmckeys: -:16: quit is a command of the console only\n");
  EXPECT_EQ(run.bytes, "");
  // The line was never opened: the check takes a tenth of a second, an open the board's 1.6 s reset.
  EXPECT_LT(run.process.seconds, 1.5);
  const SimRun firstBad = runUnderSim({"--script", "-"}, {}, "pmcchannel 17\nmenu\nhome\n");  // good lines after it
  EXPECT_EQ(firstBad.process.err, "pmckeys: -:1: Dad10::setDad10Channel called with invalid channel : <17>\n");
  EXPECT_EQ(firstBad.process.status, 1);
  EXPECT_EQ(firstBad.bytes, "");
  ProcessOptions options;
  options.input = "cable\ncalibratepedal 1\n";
  const ProcessResult noTerminal = runProcess("/usr/bin/setsid", {PMCKEYS_BINARY, "--script", "-"}, options);
  EXPECT_EQ(noTerminal.err, "pmckeys: -:2: calibratepedal reads its answers from /dev/tty: No such device or address\n");
  EXPECT_EQ(noTerminal.status, 1);
}

TEST(Script, AFailureStopsItWithTheLinesBeforeDone) {
  const SimRun run = runUnderSim({"--script", "-"}, {"--fault", "silent", "--fault-after", "2"}, "menu\nmenu menu\nhome\n");
  EXPECT_EQ(run.process.err, "pmckeys: -:2: ArduinoSerial failed:no reply from the board within 2000 ms (the device "
                             "may be left inside its menus: check its display)\n");
  EXPECT_EQ(run.process.status, 1);
  EXPECT_EQ(run.bytes, "4d 4d 4d");
}

// The keys a running trace shows once it shows `least` (or 20 s passed) and half a second more: a key
// pressed on an answer taken too early would come within a tenth of that.
std::size_t keysSettledAt(const std::string& traceFile, std::size_t least) {
  for (int i = 0; i < 400 && readTrace(traceFile).times.size() < least; ++i) usleep(50000);
  usleep(500000);  // nothing more comes
  return readTrace(traceFile).times.size();
}

// Words typed ahead of a prompt, alone or after an earlier answer, are dropped: no ENTER until one after it.
TEST(Calibration, OnATerminalOnlyAWordTypedAfterItsPromptAnswersIt) {
  const std::string trace = scratchFile();
  Terminal terminal(std::string(PMCKEYS_SIM_BINARY) + " --trace " + trace + " -- " PMCKEYS_BINARY " calibratepedal 1");
  terminal.type("ok\n");  // while the line is opened
  ASSERT_TRUE(terminal.waitFor("Place pedal 1 down")) << terminal.screen();
  EXPECT_EQ(keysSettledAt(trace, 18), 18u);
  terminal.type("ok ok\n");
  ASSERT_TRUE(terminal.waitFor("Place pedal 1 up")) << terminal.screen();
  EXPECT_EQ(keysSettledAt(trace, 19), 19u);
  terminal.type("ok\n");
  const SimRun run = traceOf(trace);
  EXPECT_EQ(run.times.size(), 40u);
  EXPECT_EQ(run.ending, "summary: the device ended in performance mode");
}

TEST(Script, ReadsThePedalAnswersFromTheTerminal) {
  const std::string trace = scratchFile();
  Terminal terminal(std::string(PMCKEYS_SIM_BINARY) + " --trace " + trace + " -- " PMCKEYS_BINARY " --script " + kExample);
  terminal.type("ok\n");  // while the channel is set
  for (const char* prompt : {"Place pedal 1 down", "Place pedal 1 up", "Place pedal 2 down", "Place pedal 2 up"}) {
    ASSERT_TRUE(terminal.waitFor(prompt)) << terminal.screen();
    if (std::string(prompt) == "Place pedal 1 down") {
      EXPECT_EQ(keysSettledAt(trace, 21 + 18), 21u + 18u);
    }
    terminal.type("ok");
    terminal.press("Enter");
  }
  const SimRun run = traceOf(trace);
  EXPECT_NE(run.trace.find("summary: the command exited with status 0"), std::string::npos) << run.trace;
  EXPECT_EQ(run.times.size(), 21u + 40u + 42u + 15u);  // channel, pedals, bank
  const std::string bank = "4d 4d 45 30 31 4d 4d 2b 53 53 53 45 53 53 45";
  EXPECT_EQ(run.bytes.substr(run.bytes.size() - bank.size()), bank);
  EXPECT_EQ(run.ending, "summary: the device ended in performance mode");
}

TEST(Console, ShowsWhereTheDeviceIsAndKeepsItsHistory) {
  const ScratchFolder folder;
  const std::string trace = scratchFile();
  const std::string console = "XDG_STATE_HOME=" + folder.path + " " PMCKEYS_SIM_BINARY " --trace " + trace +
                              " -- " PMCKEYS_BINARY " --console";
  {
    Terminal terminal(console);
    ASSERT_TRUE(terminal.waitFor("The model assumes the device is in performance mode")) << terminal.screen();
    ASSERT_TRUE(terminal.waitFor("performance> "));
    terminal.type("editb");
    terminal.press("Tab");
    EXPECT_TRUE(terminal.waitFor("performance> editbank"));
    terminal.type(" 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 next");
    terminal.press("Enter");
    ASSERT_TRUE(waitForFile(trace, "'0'"));
    terminal.press("C-c");  // while the digits are pressed
    EXPECT_TRUE(terminal.waitFor("\n  EDITPATCH > EDITBANK\nstopped after the key in progress: the device is at "
                                 "EDITBANK\nEDITBANK> "))
        << terminal.screen();
    terminal.press("C-d");  // asks first: the device is in the menus
    EXPECT_TRUE(terminal.waitFor("again to leave it there\nEDITBANK> "));
    terminal.press("C-d");
    const SimRun run = traceOf(trace);
    EXPECT_NE(run.trace.find("summary: the command exited with status 0"), std::string::npos) << run.trace;
    EXPECT_EQ(run.ending, "summary: the device was left in EDITBANK, not in performance mode");
    EXPECT_EQ(run.bytes.find("4d 4d 30"), 0u);
  }
  Terminal again(console);
  ASSERT_TRUE(again.waitFor("performance> "));
  again.press("Up");
  EXPECT_TRUE(again.waitFor("performance> editbank 0 0 0"));
  again.press("C-c");  // clears the line
  EXPECT_TRUE(again.waitFor("next\nperformance> \n"));
  again.type("0");
  again.press("Enter");
  EXPECT_TRUE(again.waitFor("performance> 0\nperformance> ")) << again.screen();  // one prompt for one Ctrl-C
  again.type("quit");
  again.press("Enter");
  EXPECT_TRUE(waitForFile(trace, "summary: the command exited with status 0"));
  EXPECT_NE(again.screen().find("next\nperformance> 0\nperformance> quit\n"), std::string::npos) << again.screen();
  std::remove(trace.c_str());
}

TEST(Console, HelpCommentsCompletionAndAQuestionBeforeLeavingTheMenus) {
  const std::string trace = scratchFile();
  Terminal terminal(std::string(PMCKEYS_SIM_BINARY) + " --trace " + trace + " -- " PMCKEYS_BINARY " --console");
  ASSERT_TRUE(terminal.waitFor("performance> ")) << terminal.screen();
  terminal.type("help\n");
  EXPECT_TRUE(terminal.waitFor("a line, checked from where the device is; # starts a comment."));
  EXPECT_TRUE(terminal.waitFor("  quit                        console: end it (so does Ctrl-D)\nTab completes"));
  terminal.type("menu # a comment\n");
  EXPECT_TRUE(terminal.waitFor("comment\n  EDITPATCH\nEDITPATCH> ")) << terminal.screen();
  for (const auto& c : {std::make_pair("Cal", "Calibratepedal "), std::make_pair("EXITEDITM", "EXITEDITMENU "),
                        std::make_pair("map pr", "map pressenterreset ")}) {  // a place, not PREV
    terminal.type(c.first);
    terminal.press("Tab");
    EXPECT_TRUE(terminal.waitFor(std::string("EDITPATCH> ") + c.second)) << terminal.screen();
    terminal.press("C-c");
  }
  terminal.type("quit\n");
  EXPECT_TRUE(terminal.waitFor("the device is at EDITPATCH: type home to bring it back, or quit (or Ctrl-D) again to "
                               "leave it there\nEDITPATCH> "));
  terminal.type("home\npressenterreset\n");
  ASSERT_TRUE(terminal.waitFor("PRESSENTERRESET> ")) << terminal.screen();
  terminal.press("C-d");
  EXPECT_TRUE(terminal.waitFor("the device is at PRESSENTERRESET, where home is refused: leave it by hand, or quit (or "
                               "Ctrl-D) again\n to leave it there\nPRESSENTERRESET> "));  // 100 columns
  terminal.press("C-d");
  const SimRun run = traceOf(trace);
  EXPECT_NE(run.trace.find("summary: the command exited with status 0"), std::string::npos) << run.trace;
  EXPECT_EQ(run.ending, "summary: the device was left in PRESSENTERRESET, not in performance mode");
}

}  // namespace
