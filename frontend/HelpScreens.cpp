#include "frontend/HelpScreens.h"

#include <iostream>
#include <string>

#include "commandmodel/CommandTable.h"
#include "commandmodel/Dad10.h"
#include "frontend/App.h"
#include "frontend/CommandLine.h"
#include "frontend/Conversions.h"
#include "ports/HardwarePortFactory.h"

#ifndef PMCKEYS_DOC_DIR
#define PMCKEYS_DOC_DIR "/usr/local/share/doc/pmckeys"
#endif

namespace {

void writeLines(std::initializer_list<const char*> lines) {
  for (const char* line : lines) std::cout << line << std::endl;
}

void writeForm(const char* synopsis, const char* summary) { CommandForms::writeLine(std::cout, synopsis, summary); }

void writeForms(std::initializer_list<CommandForm::Kind> kinds) { commandForms().writeLines(std::cout, kinds); }

// The key names, wrapped to the width of a terminal.
void writeKeyNames() {
  std::string line = "   ";
  for (std::size_t i = 0; i < kKeyNameCount; ++i) {
    if (line.size() + std::string(kKeyNames[i].name).size() > 76) {
      std::cout << line << std::endl;
      line = "   ";
    }
    line += std::string(" ") + kKeyNames[i].name;
  }
  std::cout << line << std::endl;
}

}  // namespace

void displayUsage(const App& app) {
  std::cout << std::endl;
  std::cout << "  Usage: " << app.progName() << " ( [r] { <PMC 10 command> } | cable | commands ) " << std::endl;
  writeLines({
      "",
      "  Using this software and an appropriate wire connected ",
      "  to the parallel port of your PC or arduino board (www.arduino.cc, flashed ",
      "  with the proper firmware) connected to a usb port of your apple mac, you can send ",
      "  commands to your Digitech PMC 10 MIDI Footcontroller. ",
      "",
      "  How to build the cable: see the archives of the PMC 10 user group.",
      "  Or call this program with \"cable\" as the first argument.",
      "",
      "  You can either send hex bytes, e.g. \"0xfb\" or PMC 10 commands, e.g. \"menu\".",
      "  Available commands: Call this program with \"commands\" as the",
      "  first argument. You can also mix them and send entire command sequences.",
      "  \"r\" as the first argument will have the PMC 10 return to performance mode.",
      "",
      "  pmckeys --help lists every form; pmckeys --list-ports finds the board. Older tools",
      "  for Windows drove a parallel port through WinIo, a kernel driver installed",
      "  to allow access to the parallel port on Win2K.",
      "  Using a proprietary firmware for the Arduino board.",
      "  Questions/Comments: see pmckeys --help and man pmckeys; try any command first with pmckeys-sim.",
      "  An open firmware for the board comes with pmckeys: see wiring.md in its documentation.",
      "",
      "  Before you change anything, save your patches: pmckeys backup FILE (see man pmckeys).",
      "  Thanks to the PMC 10 user group and to all who traced the device's keypad and menus.",
      "",
      "  ",
  });
}

void displayHelp() {
  std::cout << "pmckeys " PMCKEYS_VERSION ": press the front-panel keys of a Digitech PMC 10 MIDI Footcontroller\n"
               "from a computer, through an Arduino board on a USB serial line.\n\nUsage: pmckeys FORM\n";
  CommandForms::writeKeysLine(std::cout);
  writeForms({CommandForm::TRAIL_PREFIX, CommandForm::KEYWORD});
  std::cout << "\nOptions (alone, first; only --script and --console open the serial line):\n";
  writeForms({CommandForm::OPTION});
  std::cout << "\nIn a script (one command a line) or the console, any form but an option, and:\n";
  writeForms({CommandForm::SESSION});
  std::cout << "\nA TOKEN is a key name, in any letter case:\n";
  writeKeyNames();
  std::cout << "a key code from 0xf0 to 0xfe, or one of " << kCompoundCommandCount
            << " compound commands naming places in the\n"
               "menus (EDITBANK, MIDIDATADUMP, ...): pmckeys commands lists them all.\n"
               "\nEnvironment:\n";
  writeForm("PMCKEYS_DEVICE", "the board's serial device (find it with --list-ports)");
  std::cout << "  serial device: "
            << Conversions::shown(HardwarePortFactory::devicePath(), Conversions::Shown::FileName)
            << (HardwarePortFactory::deviceFromEnvironment() ? " (from PMCKEYS_DEVICE)" : " (built in)") << "\n";
  writeForm("PMCKEYS_MIDI_IN, _OUT", "the MIDI ports for backup and restore, by part of a name");
  writeForm("PMCKEYS_MIDI_API", "alsa, jack or coremidi (default: the system's own)");
  writeForm("PMCKEYS_DUMP_WAIT_MS", "quiet that ends a dump, 1000 to 60000 (default 8500)");
  writeForm("PMCKEYS_SYSEX_PAUSE_MS", "pause between restored messages, 0 to 1000 (default 50)");
  writeForm("XDG_STATE_HOME", "the console's history: $XDG_STATE_HOME/pmckeys/history");
  std::cout << "MIDI cable: device MIDI OUT to the interface's IN, interface OUT to device MIDI IN.\n"
            << "\nExit status: 0 done; 1 not done (the reason is on standard error); 2 usage error;\n"
               "130, 143, 129: a backup, restore or verify stopped by Ctrl-C, SIGTERM or SIGHUP.\n"
               "\nTry any command on a simulated device first: pmckeys-sim -- pmckeys rd editbank enter\n"
               "See also: pmckeys-sim --help, man pmckeys, and the wiring guide:\n"
               "  " PMCKEYS_DOC_DIR "/wiring.md"
            << std::endl;
}

void displayCable() {
  writeLines({
      "",
      "  How To Build the Cable",
      "",
      "  There are only 4 pins that contain signal values.",
      "  The 5th is ground. ",
      "  ",
      "  If you look at the 5-pin male DIN connector, with the orientation",
      "  tabs at the 4 and 8 o'clock position and the pins pointing toward",
      "  your face, I refer to the pins according to the table below.",
      "  The colors Red, Yellow, Black, Orange, Green refer to Radio Shack ",
      "  6-pin DIN keyboard extender cable (26-149A). ",
      "  The colors Red, Brown, Orange, Green, Black refer to Australian Jay Car ",
      "  6-pin DIN keyboard extender cable. ",
      "  Beware that your cable may be using different colors! ",
      "  ",
      "  PIN      POSITION      RADIO SHACK COLOR    PIN ON PAR.PORT   JAYCAR COLOR",
  });
  std::cout << "  " << std::string(78, '=') << std::endl;
  writeLines({
      "  Pin A =~  9 o'clock    Red                   2                Red",
      "  Pin B =~ 10 o'clock    Yellow                3                Brown",
      "  Pin C =~  7 o'clock    Black                18 (ground)       Orange",
      "  Pin D =~  3 o'clock    Orange                4                Green",
      "  Pin E =~  2 o'clock    Green                 5                Black",
      "",
      "  details:",
  });
  std::cout << "     " << PMCKEYS_DOC_DIR << "/wiring.md: from the board's pins to the DIN plug" << std::endl;
  writeLines({
      "     man pmckeys, section CABLE: the same table, with the key codes on the pins",
      "     the PMC 10 user group's archives: the original parallel-port cable",
      "",
  });
}

void displayCommandsHeading() { std::cout << std::endl << "  Available Commands" << std::endl; }

void displayCommands(Dad10& model) {
  model.displayCommands();
  std::cout << std::endl;
}
