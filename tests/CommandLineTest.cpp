// The built pmckeys binary without a board: every command-line form, both streams and the status, exactly.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

#include "tests/support/Expected.h"
#include "tests/support/Process.h"

namespace {

const char* const kDevice = "/nonexistent/pmckeys-test-device";

struct Case {
  std::vector<std::string> args;
  std::string out;
  std::string err;
  int status;
  std::map<std::string, std::string> env = {};
};

// Runs pmckeys as the case says, standard output to a file and standard input from a text if given.
void check(const Case& c, const char* output = nullptr, const char* input = nullptr) {
  ProcessOptions options = withEnv(c.env);
  options.argv0 = "pmckeys";
  options.output = output;
  options.input = input;
  options.env["PMCKEYS_DEVICE"] = kDevice;
  const ProcessResult result = runProcess(PMCKEYS_BINARY, c.args, options);
  std::string line = "pmckeys";
  for (const std::string& arg : c.args) line += " " + arg;
  EXPECT_EQ(result.out, c.out) << line;
  EXPECT_EQ(result.err, c.err) << line;
  EXPECT_EQ(result.status, c.status) << line;
}

TEST(CommandLine, HelpScreens) {
  const std::string cable = readTestFile("cable.txt");
  const Case cases[] = {
      {{}, readTestFile("usage.txt"), "", 2},
      {{"Cable"}, cable, "", 0},
      {{"CABLE", "extra", "words"}, cable, "", 0},
      {{"commands"}, readTestFile("commands.txt"), kNoBoard, 0},
  };
  for (const Case& c : cases) check(c);
  ProcessOptions options;
  options.argv0 = "../some dir/pmckeys";
  EXPECT_NE(runProcess(PMCKEYS_BINARY, {}, options).out.find("  Usage: ../some dir/pmckeys ( [r]"), std::string::npos);
}

// The names the pattern's group catches from `from` to `to`; a name that begins with _ ends the one before.
std::set<std::string> variables(const std::string& text, const char* from, const char* to, const char* pattern) {
  const std::size_t start = text.find(from);
  const std::string part = text.substr(start, text.find(to, start + 1) - start);
  const std::regex named(pattern);
  std::set<std::string> names;
  std::string last;
  for (std::sregex_iterator m(part.begin(), part.end(), named), end; m != end; ++m) {
    const std::string name = (*m)[1];
    last = name[0] == '_' ? last.substr(0, last.rfind('_')) + name : name;
    names.insert(last);
  }
  return names;
}

TEST(CommandLine, TheHelpNamesEveryVariableOfTheReferenceAndTheManual) {
  const std::string source = PMCKEYS_SOURCE_DIR;
  const std::set<std::string> reference =
      variables(readFile(source + "/docs/reference.md"), "\n## Environment", "\n## ", R"((?:\n\| |, )`([A-Z_]+)`)");
  EXPECT_EQ(reference.size(), 7u);  // the table's own count, so that a pattern that finds nothing fails
  EXPECT_EQ(variables(readFile(source + "/man/pmckeys.1.in"), "\n.SH ENVIRONMENT", "\n.SH ",
                      R"(\.T[PQ]\n\.B ([A-Z_]+)\n)"), reference);
  EXPECT_EQ(variables(runProcess(PMCKEYS_BINARY, {"--help"}).out, "\nEnvironment:", "\nMIDI cable:",
                      R"((?:\n  |, )([A-Z_]+)(?=[ ,]))"), reference);
}

TEST(CommandLine, ProceduresAndKeySequencesWithoutABoard) {
  const std::string winIo = std::string(kNoBoard) + "Error during initialization of WinIo.\n";
  const std::string channel0 = std::string(kNoBoard) + "Dad10::setDad10Channel called with invalid channel : <0>\n";
  const std::string pedal = "Dad10::calibratePedal called with invalid pedal : <";
  const Case cases[] = {
      {{"menu"}, "", winIo, 1},
      {{"r", "editbank", "enter"}, "", winIo, 1},
      {{"r", "mididatadumpcomplete", "endmididatadumpcomplete"}, "", winIo, 1},  // the user's own dump
      {{"menu", "cable"}, "", winIo, 1},
      {{"cables"}, "", winIo, 1},
      {{"PmcChannel", "05"}, std::string("PMCCHANNEL 5\n") + kChannelTrail, kNoBoard, 1},
      {{"pmcchannel", "5x"}, std::string("PMCCHANNEL 5\n") + kChannelTrail, kNoBoard, 1},
      {{"pmcchannel", "0x10"}, "PMCCHANNEL 0\n", channel0, 1},
      {{"pmcchannel", "seven"}, "PMCCHANNEL 0\n", channel0, 1},
      {{"pmcchannel"}, "", "\nchannel number (1 to 16) required on command line!\n\n", 1},
      {{"calibratepedal"}, "", "\npedal number (1 or 2) required on command line!\n\n", 1},
      {{"startcalibratepedal"}, "", "\npedal number (1 or 2) required on command line!\n\n", 1},
      {{"calibratepedal", "3"}, "", pedal + "3>\n", 1},  // refused before the line is opened
      {{"startcalibratepedal", "0"}, "", kNoBoard + pedal + "0>\n", 1},
      {{"startcalibratepedal", "2"}, "", kNoBoard, 1},
      {{"calibratepedal", "1"}, kPedal1Prompts, kNoBoard, 1},
  };
  for (const Case& c : cases) check(c);
}

// Every "r NAME" and "r NAME enter" of tests/expected/returns.txt: refused before the line is opened, or on.
TEST(CommandLine, AReturnIsRefusedBeforeTheLineIsOpenedUnlessItEndsInPerformanceMode) {
  const std::string winIo = std::string(kNoBoard) + "Error during initialization of WinIo.\n";
  std::istringstream golden(readTestFile("returns.txt"));
  for (std::string line; std::getline(golden, line);) {
    const std::size_t colon = line.find(':');
    std::istringstream words(line.substr(0, colon));
    const bool refused = line.compare(colon, 11, ": refused: ") == 0;
    const std::string err = refused ? "pmckeys: " + line.substr(colon + 2) + "\n" : winIo;
    check({{std::istream_iterator<std::string>(words), {}}, "", err, 1});
  }
  const std::string patchDump = "pmckeys: refused: the way back along the trail would confirm sends patches as a MIDI "
                                "dump, which overwrites a receiving device at DSTPATCH1; press the keys without r and "
                                "leave the menus by hand\n";
  const Case cases[] = {
      {{"rd", "srcpatch1"}, "", patchDump, 1},
      {{"R", "foo", "dad10channel", "enter"}, "", patchDump, 1},
  };
  for (const Case& c : cases) check(c);
}

TEST(CommandLine, HomeNeverStoresAPedalsCalibration) {
  const std::string refused = "pmckeys: -:2: refused: no way home from SETUPEXPRPEDL1ENTER that stores nothing: ENTER "
                              "there stores pedal 1's calibration; to finish it, move the pedal down and type enter, "
                              "then up and enter, then home\npmckeys: -:4: refused: no way home from SETUPEXPRPEDL1UP "
                              "that stores nothing: ENTER there stores pedal 1's calibration; to finish it, move the "
                              "pedal up and type enter, then home\n";
  check({{"--script", "-"}, "", refused, 1}, nullptr, "startcalibratepedal 1\nhome\nenter\nhome\n");
}

TEST(CommandLine, AScriptWithoutABoardStopsAtItsFirstKey) {
  const std::string err = std::string(kNoBoard) + "pmckeys: -:4: Error during initialization of WinIo.\n";
  check({{"--script", "-"}, readTestFile("cable.txt"), err, 1}, nullptr, "\xEF\xBB\xBF# a\n\ncable\nmenu\ncable");
}

// Read up to 1 MiB and no further: /dev/zero would fill the memory.
TEST(CommandLine, AScriptOfMoreThanOneMebibyteIsRefused) {
  const std::string mebibyte(1024 * 1024, '\n');
  check({{"--script", "-"}, "", "", 0}, nullptr, mebibyte.c_str());
  check({{"--script", "-"}, "", "pmckeys: the script <-> is larger than 1 MiB: refused\n", 1}, nullptr,
        (mebibyte + "\n").c_str());
  check({{"--script", "/dev/zero"}, "", "pmckeys: the script </dev/zero> is larger than 1 MiB: refused\n", 1});
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
  for (const Case& c : cases) check(c);
}

// A word or file name in a message: bytes 0x00 to 0x1f and 0x7f as \xNN, a word cut after 64 bytes (never
// inside a UTF-8 character), a file name whole; the unknown command's warning keeps its token as it came.
TEST(CommandLine, MessagesShowWordsAndFileNamesSafely) {
  const ScratchFolder folder;
  const std::string script = folder.path + "/a\tscript", shown = "pmckeys: " + folder.path + "/a\\x09script";
  std::ofstream(script, std::ios::binary) << std::string("home a\0b\x7f\n", 10) << "home " << std::string(1000000, 'w')
                                          << "\nmenu \x01\n";
  const std::string x63(63, 'x'), name = "/nonexistent/" + std::string(80, 'n');
  std::string x7f;
  for (int i = 0; i < 64; ++i) x7f += "\\x7f";
  const Case cases[] = {
      {{"--version", "a\nb\x1b[2J"}, "", "pmckeys: unexpected argument <a\\x0ab\\x1b[2J>\n", 2},
      {{"--version", x63 + "\xc3\xa9!"}, "", "pmckeys: unexpected argument <" + x63 + "\xe2\x80\xa6>\n", 2},
      {{"--version", std::string(64, '\x7f')}, "", "pmckeys: unexpected argument <" + x7f + ">\n", 2},
      {{"verify", name + "\n"}, "", "pmckeys: cannot read " + name + "\\x0a: No such file or directory\n", 1},
      {{"backup", "/none/\x01"}, "", "pmckeys: cannot save a backup as </none/\\x01>: No such file or directory\n", 1},
      {{"backup", script}, "", shown + " exists: choose another name or remove it\n", 1},
      {{"--script", "/none/\x02"}, "", "pmckeys: cannot read the script </none/\\x02>: No such file or directory\n", 1},
      {{"--script", script}, "", shown + ":1: unexpected argument <a\\x00b\\x7f>\n" + shown + ":2: unexpected argument <" +
       std::string(64, 'w') + "\xe2\x80\xa6>\n" + shown + ":3: WARNING: unknown command: <\x01>\n", 1},
      {{"--list-midi"}, "", "pmckeys: PMCKEYS_MIDI_API must be alsa, jack or coremidi, not <\\x7f>\n", 1,
       {{"PMCKEYS_MIDI_API", "\x7f"}}},
      {{"backup", folder.path + "/new.syx"}, "", "pmckeys: PMCKEYS_DUMP_WAIT_MS must be a whole number of milliseconds "
       "from 1000 to 60000, not <1000\\x0a>\n", 1, {{"PMCKEYS_DUMP_WAIT_MS", "1000\n"}}},
  };
  for (const Case& c : cases) check(c);
}

// On a terminal only: the pipes above show nothing of it.
TEST(CommandLine, SaysWhereItLookedForTheBoard) {
  const std::pair<std::string, std::string> cases[] = {
      {kDevice, std::string(kDevice) + " (from PMCKEYS_DEVICE; see pmckeys --list-ports)"},
      {"", PMCKEYS_DEFAULT_DEVICE " (built in; set PMCKEYS_DEVICE, see pmckeys --list-ports)"},
  };
  for (const auto& c : cases) {
    ProcessOptions options = withEnv({{"PMCKEYS_DEVICE", c.first}});
    options.errorTerminal = true;
    const ProcessResult result = runProcess(PMCKEYS_BINARY, {"menu"}, options);
    EXPECT_NE(result.err.find("WinIo.\r\npmckeys: no board at " + c.second + "\r\n"), std::string::npos) << result.err;
    EXPECT_EQ(result.status, 1);
  }
  const ProcessResult help = runProcess(PMCKEYS_BINARY, {"--help"}, withEnv({{"PMCKEYS_DEVICE", ""}}));
  EXPECT_NE(help.out.find("  serial device: " PMCKEYS_DEFAULT_DEVICE " (built in)\n"), std::string::npos);
}

TEST(CommandLine, AFailedWriteToStandardOutputIsReportedOnce) {
  const Case cases[] = {
      {{"commands"}, "", std::string(kNoBoard) + kStandardOutputFull, 1},
      {{"cable"}, "", kStandardOutputFull, 1},
      {{"--version"}, "", kStandardOutputFull, 1},
      {{}, "", kStandardOutputFull, 2},
  };
  for (const Case& c : cases) check(c, "/dev/full");
}

TEST(CommandLine, ListsLikelySerialDevicesWithTheirStableNames) {
  const ScratchFolder folder;
  const std::string& dev = folder.path;
  check({{"--list-ports", dev}, "", "no serial devices found\n", 1});
  ASSERT_EQ(system(("mkdir -p " + dev + "/serial/by-id && cd " + dev +
                    " && touch ttyACM0 'ttyUSB3\x01' ttyS0 cu.usbmodem1411 && ln -s ../../ttyACM0 "
                    "serial/by-id/usb-Arduino_Uno_55739-if00").c_str()),
            0);
#ifdef __APPLE__
  check({{"--list-ports", dev}, dev + "/cu.usbmodem1411\n", "", 0});
#else
  check({{"--list-ports", dev},
         dev + "/serial/by-id/usb-Arduino_Uno_55739-if00 (" + dev + "/ttyACM0)\n" + dev + "/ttyUSB3\\x01\n", "", 0});
#endif
  check({{"--list-ports", dev}, "", kStandardOutputFull, 1}, "/dev/full");
}

}  // namespace
