// The built pmckeys binary without a board: every command-line form, its
// output on both streams and its exit status, exactly.
#include <gtest/gtest.h>

#include "tests/support/Process.h"

namespace {

const char* const kNoBoard =
    "init_serialport: Unable to open port : No such file or directory\ncreating FakeHardwarePort\n";
const char* const kChannelTrail = "PREV PREV PREV ENTER PREV ENTER PREV PREV PREV PREV  ENTER";
const char* const kPrompts =
    "Place pedal 1 down, then\ntype \"ok\" followed by return key when done.\n"
    "Place pedal 1 up, then\ntype \"ok\" followed by return key when done.\ndone.\n";

ProcessResult pmckeys(const std::vector<std::string>& args, const char* input = nullptr, const char* output = nullptr) {
  ProcessOptions options;
  options.argv0 = "pmckeys";
  options.input = input;
  options.output = output;
  options.env["PMCKEYS_DEVICE"] = "/nonexistent/pmckeys-test-device";
  return runProcess(PMCKEYS_BINARY, args, options);
}

struct Case {
  std::vector<std::string> args;
  std::string out;
  std::string err;
  int status;
};

void check(const Case& c, const ProcessResult& result) {
  std::string line;
  for (const std::string& arg : c.args) line += " " + arg;
  EXPECT_EQ(result.out, c.out) << "pmckeys" << line;
  EXPECT_EQ(result.err, c.err) << "pmckeys" << line;
  EXPECT_EQ(result.status, c.status) << "pmckeys" << line;
}

TEST(CommandLine, HelpScreens) {
  const std::string usage = readTestFile("usage.txt"), cable = readTestFile("cable.txt");
  const std::string commands = readTestFile("commands.txt");
  const Case cases[] = {
      {{}, usage, "", 2},
      {{"cable"}, cable, "", 0},
      {{"Cable"}, cable, "", 0},
      {{"CABLE", "extra", "words"}, cable, "", 0},
      {{"commands"}, commands, kNoBoard, 0},
  };
  for (const Case& c : cases) check(c, pmckeys(c.args));
}

TEST(CommandLine, UsageNamesTheProgramAsInvoked) {
  ProcessOptions options;
  options.argv0 = "../some dir/pmckeys";
  const ProcessResult result = runProcess(PMCKEYS_BINARY, {}, options);
  EXPECT_NE(result.out.find("\n  Usage: ../some dir/pmckeys ( [r] { <PMC 10 command> } | cable | commands ) \n"),
            std::string::npos);
}

TEST(CommandLine, ProceduresAndKeySequencesWithoutABoard) {
  const std::string winIo = std::string(kNoBoard) + "Error during initialization of WinIo.\n";
  const std::string badChannel0 = "Dad10::setDad10Channel called with invalid channel : <0>\n";
  const Case cases[] = {
      {{"menu"}, "", winIo, 1},
      {{"r", "editbank", "enter"}, "", winIo, 1},
      {{"r", "mididatadumpcomplete", "endmididatadumpcomplete"}, "", winIo, 1},  // the user's own dump
      {{"menu", "cable"}, "", winIo, 1},
      {{"cables"}, "", winIo, 1},
      {{"pmcchannel", "3"}, std::string("PMCCHANNEL 3\n") + kChannelTrail, kNoBoard, 1},
      {{"PmcChannel", "05"}, std::string("PMCCHANNEL 5\n") + kChannelTrail, kNoBoard, 1},
      {{"pmcchannel", "5x"}, std::string("PMCCHANNEL 5\n") + kChannelTrail, kNoBoard, 1},
      {{"pmcchannel", "0x10"}, "PMCCHANNEL 0\n", kNoBoard + badChannel0, 1},
      {{"pmcchannel", "seven"}, "PMCCHANNEL 0\n", kNoBoard + badChannel0, 1},
      {{"pmcchannel"}, "", "\nchannel number (1 to 16) required on command line!\n\n", 1},
      {{"calibratepedal"}, "", "\npedal number (1 or 2) required on command line!\n\n", 1},
      {{"startcalibratepedal"}, "", "\npedal number (1 or 2) required on command line!\n\n", 1},
      {{"calibratepedal", "3"}, "", "Dad10::calibratePedal called with invalid pedal : <3>\n", 1},
      {{"startcalibratepedal", "0"}, "", std::string(kNoBoard) +
                                             "Dad10::calibratePedal called with invalid pedal : <0>\n", 1},
      {{"startcalibratepedal", "2"}, "", kNoBoard, 1},
      {{"calibratepedal", "1"}, kPrompts, kNoBoard, 1},
  };
  for (const Case& c : cases) check(c, pmckeys(c.args));
}

TEST(CommandLine, AReturnThatWouldCarryOutAnOperationIsRefusedBeforeTheLineIsOpened) {
  const auto refused = [](const std::string& what, const char* place) {
    return "pmckeys: refused: the way back along the trail would confirm " + what + " at " + place +
           "; press the keys without r and leave the menus by hand\n";
  };
  const std::string reset = "factory reset: erases every patch, bank and set";
  const std::string dump = "sends the whole memory as a MIDI dump, which overwrites a receiving device";
  const std::string patchDump = "sends patches as a MIDI dump, which overwrites a receiving device";
  const Case cases[] = {
      {{"r", "factorypresets", "enter"}, "", refused(reset, "PRESSENTERRESET"), 1},
      {{"r", "mididatadump", "enter"}, "", refused(dump, "MIDIPRESSENTERDUMP"), 1},
      {{"rd", "srcpatch1"}, "", refused(patchDump, "DSTPATCH1"), 1},
      {{"r", "expndrnstat", "enter"}, "", refused("rewrites patches (expands running status)", "EXPNDPATCH"), 1},
      {{"R", "shrnkpatch"}, "", refused("rewrites patches (shrinks running status)", "SHRNKPATCH"), 1},
      {{"r", "memory", "enter"}, "", refused(reset, "PRESSENTERRESET"), 1},
      {{"r", "foo", "dad10channel", "enter"}, "", refused(patchDump, "DSTPATCH1"), 1},
  };
  for (const Case& c : cases) check(c, pmckeys(c.args));
}

TEST(CommandLine, AScriptWithoutABoardStopsAtItsFirstKey) {
  const std::string err = std::string(kNoBoard) + "pmckeys: -:4: Error during initialization of WinIo.\n";
  check({{"--script", "-"}, readTestFile("cable.txt"), err, 1}, pmckeys({"--script", "-"}, "# a\n\ncable\nmenu\ncable"));
}

TEST(CommandLine, CalibrationReadsTwoWordsFromStandardInput) {
  check({{"calibratepedal", "1"}, kPrompts, kNoBoard, 1}, pmckeys({"calibratepedal", "1"}, "ok\nok\n"));
  check({{"calibratepedal", "1"}, kPrompts, kNoBoard, 1}, pmckeys({"calibratepedal", "1"}, "x y"));
}

TEST(CommandLine, OptionsNeverOpenTheSerialLine) {
  const std::string help = readTestFile("help.txt");
  const Case cases[] = {
      {{"--help"}, help, "", 0},
      {{"-h"}, help, "", 0},
      {{"-h", "menu"}, "", "pmckeys: unexpected argument <menu>\n", 2},
      {{"--version"}, "pmckeys " PMCKEYS_VERSION "\n", "", 0},
      {{"--version", "extra"}, "", "pmckeys: unexpected argument <extra>\n", 2},
      {{"--list-ports", "/dev", "extra"}, "", "pmckeys: unexpected argument <extra>\n", 2},
      {{"--script"}, "", "pmckeys: --script needs a FILE (- for standard input)\n", 2},
      {{"--script", "/nonexistent"}, "", "pmckeys: cannot read the script </nonexistent>: No such file or directory\n", 1},
      {{"--console"}, "", "pmckeys: --console needs a terminal on standard input; to run commands from a file or a "
                          "pipe use pmckeys --script FILE (- for standard input)\n", 2},
  };
  for (const Case& c : cases) check(c, pmckeys(c.args));
}

// Where pmckeys looked for the board, on a terminal only (the pipe cases
// above show nothing of it).
TEST(CommandLine, SaysWhereItLookedForTheBoard) {
  const std::string fromVariable = "/nonexistent/pmckeys-test-device";
  const std::pair<std::string, std::string> cases[] = {
      {fromVariable, "pmckeys: no board at " + fromVariable + " (from PMCKEYS_DEVICE; see pmckeys --list-ports)"},
      {"", "pmckeys: no board at " + std::string(PMCKEYS_DEFAULT_DEVICE) +
               " (built in; set PMCKEYS_DEVICE, see pmckeys --list-ports)"},
  };
  for (const auto& c : cases) {
    ProcessOptions options;
    options.errorTerminal = true;
    options.env["PMCKEYS_DEVICE"] = c.first;
    const ProcessResult result = runProcess(PMCKEYS_BINARY, {"menu"}, options);
    EXPECT_NE(result.err.find("Error during initialization of WinIo.\r\n" + c.second + "\r\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.status, 1);
  }
  const ProcessResult help = runProcess(PMCKEYS_BINARY, {"--help"}, ProcessOptions{"", nullptr, nullptr, {{"PMCKEYS_DEVICE", ""}}});
  EXPECT_NE(help.out.find("  serial device: " PMCKEYS_DEFAULT_DEVICE " (built in)\n"), std::string::npos);
}

TEST(CommandLine, AFailedWriteToStandardOutputIsReportedOnce) {
  const Case cases[] = {
      {{"commands"}, "", std::string(kNoBoard) + kStandardOutputFull, 1},
      {{"cable"}, "", kStandardOutputFull, 1},
      {{"--help"}, "", kStandardOutputFull, 1},
      {{"--version"}, "", kStandardOutputFull, 1},
      {{}, "", kStandardOutputFull, 2},
  };
  for (const Case& c : cases) check(c, pmckeys(c.args, nullptr, "/dev/full"));
}

TEST(CommandLine, ListsLikelySerialDevicesWithTheirStableNames) {
  char folder[] = "/tmp/pmckeys-dev-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dev = folder;
  const ProcessResult none = pmckeys({"--list-ports", dev});
  check({{"--list-ports"}, "", "no serial devices found\n", 1}, none);

  ASSERT_EQ(system(("mkdir -p " + dev + "/serial/by-id && cd " + dev +
                    " && touch ttyACM0 ttyUSB3 ttyS0 cu.usbmodem1411 && ln -s ../../ttyACM0 "
                    "serial/by-id/usb-Arduino_Uno_55739-if00").c_str()),
            0);
  const ProcessResult found = pmckeys({"--list-ports", dev});
#ifdef __APPLE__
  const std::string expected = dev + "/cu.usbmodem1411\n";
#else
  const std::string expected =
      dev + "/serial/by-id/usb-Arduino_Uno_55739-if00 (" + dev + "/ttyACM0)\n" + dev + "/ttyUSB3\n";
#endif
  check({{"--list-ports"}, expected, "", 0}, found);
  check({{"--list-ports"}, "", kStandardOutputFull, 1}, pmckeys({"--list-ports", dev}, nullptr, "/dev/full"));
  ASSERT_EQ(system(("rm -rf " + dev).c_str()), 0);
}

}  // namespace
