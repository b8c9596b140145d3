#include "frontend/HelpScreens.h"

#include <iostream>
#include <string>

#include "commandmodel/Dad10.h"
#include "frontend/App.h"

namespace {

void writeLines(std::initializer_list<const char*> lines) {
  for (const char* line : lines) std::cout << line << std::endl;
}

}  // namespace

void displayUsage(App& app) {
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
      "  pmckeys presses the keys through a serial line; parallel-port versions of such",
      "  tools for Windows relied on the WinIo library (a kernel driver for port access)",
      "  to allow access to the parallel port on Win2K.",
      "  Using a proprietary firmware for the Arduino board.",
      "  Questions/Comments: see the README of the pmckeys source tree and man pmckeys.",
      "  An open firmware for the board and its wiring: firmware/ and docs/wiring.md.",
      "",
      "  Thanks to the PMC 10 user group, whose archives keep the device's know-how alive.",
      "  Thanks to everyone who traced the PMC 10's keypad wiring and menu tree.",
      "",
      "  ",
  });
}

void displayMidiHelp() {
  writeLines({
      "  Back up and restore the device's memory over MIDI (device MIDI OUT to the",
      "  interface's IN, interface OUT to device MIDI IN):",
      "    pmckeys backup FILE    take the MIDI data dump twice; save it when both agree",
      "    pmckeys restore FILE   send a saved dump back to the device",
      "    pmckeys --list-midi    list the MIDI inputs and outputs",
      "  PMCKEYS_MIDI_IN, PMCKEYS_MIDI_OUT: the port, by a part of its name;",
      "  PMCKEYS_MIDI_API: alsa, jack or coremidi; PMCKEYS_SYSEX_PAUSE_MS: pause after",
      "  each message restored, 0 to 1000 ms (default 50). See man pmckeys.",
      "",
  });
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
      "     docs/wiring.md in the pmckeys source tree: from the board's pins to the DIN plug",
      "     man pmckeys, section CABLE: the same table, with the key codes on the pins",
      "     the PMC 10 user group's archives: the original parallel-port cable",
      "",
  });
}

void displayCommands() {
  std::cout << std::endl << "  Available Commands" << std::endl;
  Dad10::getInstance()->displayCommands();
  std::cout << std::endl;
}
