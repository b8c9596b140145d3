#include "commandmodel/CommandTable.h"

#include <algorithm>
#include <vector>

const KeyName kKeyNames[] = {
    {"MODE", 0xf0}, {"9", 0xf0},     {"PC", 0xf1},   {"1", 0xf1},    {"CP", 0xf2},
    {"5", 0xf2},    {"ENTER", 0xf3}, {"PB", 0xf4},   {"7", 0xf4},    {"PREV", 0xf5},
    {"SEND", 0xf5}, {"N-ON", 0xf6},  {"3", 0xf6},    {"+", 0xf7},    {"SET", 0xf7},
    {"SYS", 0xf8},  {"8", 0xf8},     {"0", 0xf9},    {"KP", 0xfa},   {"4", 0xfa},
    {"NEXT", 0xfb}, {"MENU", 0xfb},  {"N-OFF", 0xfc}, {"6", 0xfc},   {"-", 0xfd},
    {"BANK", 0xfd}, {"CC", 0xfe},    {"2", 0xfe},
};
const std::size_t kKeyNameCount = sizeof(kKeyNames) / sizeof(kKeyNames[0]);

std::string keyDisplayName(int code) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < kKeyNameCount; ++i) {
    if (kKeyNames[i].code == code) names.emplace_back(kKeyNames[i].name);
  }
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : "/") + name;
  return joined;
}

// MENU steps between the top-level menus, NEXT between the items of a list
// (both are the same key). The three ENDxxx rows are fixed ways back to
// performance mode from the item on which an operation was started.
const CompoundCommand kCompoundCommands[] = {
    {"EDITPATCH", "MENU"},
    {"EDITPATCHNR", "EDITPATCH ENTER"},
    {"EDITPATCHNAME", "EDITPATCHNR NEXT"},
    {"EDITPATCHNAMEENTER", "EDITPATCHNAME ENTER"},
    {"EDITMIDISTRINGA", "EDITPATCHNAME NEXT"},
    {"EDITMIDISTRINGAENTER", "EDITMIDISTRINGA ENTER"},
    {"EDITMIDISTRINGB", "EDITMIDISTRINGA NEXT"},
    {"EDITMIDISTRINGBENTER", "EDITMIDISTRINGB ENTER"},
    {"EDITEXPRPDL1", "EDITMIDISTRINGB NEXT"},
    {"EDITEXPRPDL2", "EDITEXPRPDL1 NEXT"},
    {"PDLACTIONSWITCH", "EDITEXPRPDL2 NEXT"},
    {"RECORDMIDISTRINGA", "PDLACTIONSWITCH NEXT"},
    {"RECORDMIDISTRINGB", "RECORDMIDISTRINGA NEXT"},
    {"COPYPATCH", "RECORDMIDISTRINGB NEXT"},
    {"ERASEPATCH", "COPYPATCH NEXT"},
    {"EXITEDITPATCH", "ERASEPATCH NEXT"},
    {"EDITBANK", "EDITPATCH MENU"},
    {"EDITBANKNR", "EDITBANK ENTER"},
    {"EDITBANKNAME", "EDITBANKNR NEXT"},
    {"BANKMODE", "EDITBANKNAME NEXT"},
    {"BANKASSPEDALS", "BANKMODE NEXT"},
    {"COPYBANK", "BANKASSPEDALS NEXT"},
    {"ERASEBANK", "COPYBANK NEXT"},
    {"EXITEDITBANK", "ERASEBANK NEXT"},
    {"EDITSET", "EDITBANK MENU"},
    {"EDITSETNR", "EDITSET ENTER"},
    {"EDITSETSEQ", "EDITSETNR NEXT"},
    {"COPYSET", "EDITSETSEQ NEXT"},
    {"ERASESET", "COPYSET NEXT"},
    {"EXITEDITSET", "ERASESET NEXT"},
    {"UTILITIES", "EDITSET MENU"},
    {"MIDI", "UTILITIES ENTER"},
    {"MIDIMERGING", "MIDI ENTER"},
    {"FILTEREXTRAPC", "MIDIMERGING NEXT"},
    {"DAD10CHANNEL", "FILTEREXTRAPC NEXT"},
    {"DEFAULTCHANNEL", "DAD10CHANNEL NEXT"},
    {"MIDIFILTERS", "DEFAULTCHANNEL NEXT"},
    {"MIDIDATADUMP", "MIDIFILTERS NEXT"},
    {"MIDIPRESSENTERDUMP", "MIDIDATADUMP ENTER"},
    {"MIDIDATADUMPCOMPLETE", "MIDIPRESSENTERDUMP ENTER"},
    {"ENDMIDIDATADUMPCOMPLETE",
     "PREV PREV PREV PREV PREV PREV ENTER PREV ENTER PREV PREV PREV PREV  ENTER"},
    {"MIDIPATCHDUMP", "MIDIDATADUMP NEXT"},
    {"SRCPATCH1", "MIDIPATCHDUMP ENTER"},
    {"DSTPATCH1", "SRCPATCH1 ENTER"},
    {"MIDIPATCHDUMPCOMPLETE", "DSTPATCH1 ENTER"},
    {"MIDIEXIT", "MIDIPATCHDUMP NEXT"},
    {"GLOBEXPRPDL1", "MIDI NEXT"},
    {"GLOBEXPRPDL2", "GLOBEXPRPDL1 NEXT"},
    {"HEXPATCHEDIT", "GLOBEXPRPDL2 NEXT"},
    {"EXPNDRNSTAT", "HEXPATCHEDIT NEXT"},
    {"EXPNDPATCH", "EXPNDRNSTAT ENTER"},
    {"EXPNDCOMPLETE", "EXPNDPATCH ENTER"},
    {"SHRNKRNSTAT", "EXPNDRNSTAT NEXT"},
    {"SHRNKPATCH", "SHRNKRNSTAT ENTER"},
    {"SHRNKCOMPLETE", "SHRNKPATCH ENTER"},
    {"FACTORYPRESETS", "SHRNKRNSTAT NEXT"},
    {"PRESSENTERRESET", "FACTORYPRESETS ENTER"},
    {"RESETCOMPLETE", "PRESSENTERRESET ENTER"},
    {"MISCSETUP", "FACTORYPRESETS NEXT"},
    {"MEMORY", "MISCSETUP ENTER"},
    {"LEDDISPLAY", "MEMORY NEXT"},
    {"POWERUPPATCH", "LEDDISPLAY NEXT"},
    {"SYSEXEDIT", "POWERUPPATCH NEXT"},
    {"SETUPEXPRPEDL1", "SYSEXEDIT NEXT"},
    {"SETUPEXPRPEDL1ENTER", "SETUPEXPRPEDL1 ENTER"},
    {"SETUPEXPRPEDL2", "SETUPEXPRPEDL1 NEXT"},
    {"SETUPEXPRPEDL2ENTER", "SETUPEXPRPEDL2 ENTER"},
    {"EXITMISCSETUP", "SETUPEXPRPEDL2 NEXT"},
    {"EXITUTILS", "MISCSETUP NEXT"},
    {"EXITEDITMENU", "UTILITIES MENU"},
    {"ENDCALIBRATEPEDAL1",
     "PREV PREV PREV PREV PREV ENTER PREV PREV PREV PREV PREV PREV PREV PREV ENTER PREV PREV PREV "
     "PREV ENTER"},
    {"ENDCALIBRATEPEDAL2", "PREV ENDCALIBRATEPEDAL1"},
};
const std::size_t kCompoundCommandCount = sizeof(kCompoundCommands) / sizeof(kCompoundCommands[0]);
