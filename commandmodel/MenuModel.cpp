#include "commandmodel/MenuModel.h"

#include "commandmodel/CommandTable.h"

namespace {

MenuItem plain(const char* name, const char* danger = nullptr) { return {name, nullptr, {}, false, danger, 0}; }
MenuItem withSteps(const char* name, std::vector<const char*> steps) {
  return {name, nullptr, std::move(steps), false, nullptr, 0};
}
MenuItem operation(const char* name, std::vector<const char*> steps, const char* danger) {
  return {name, nullptr, std::move(steps), true, danger, 0};
}
// The steps ask for the pedal down, then up: kPedalPositions.
MenuItem pedalSetup(const char* name, std::vector<const char*> steps, const char* danger, int pedal) {
  return {name, nullptr, std::move(steps), false, danger, pedal};
}
MenuItem opens(const MenuList& list) { return {list.name, &list, {}, false, nullptr, 0}; }

const char* const kPedalPositions[] = {"down", "up"};

const MenuList kEditPatch{"EDITPATCH",
                          {plain("EDITPATCHNR"), withSteps("EDITPATCHNAME", {"EDITPATCHNAMEENTER"}),
                           withSteps("EDITMIDISTRINGA", {"EDITMIDISTRINGAENTER"}),
                           withSteps("EDITMIDISTRINGB", {"EDITMIDISTRINGBENTER"}), plain("EDITEXPRPDL1"),
                           plain("EDITEXPRPDL2"), plain("PDLACTIONSWITCH"), plain("RECORDMIDISTRINGA"),
                           plain("RECORDMIDISTRINGB"), plain("COPYPATCH", "copies a patch over another patch"),
                           plain("ERASEPATCH", "erases a patch"), plain("EXITEDITPATCH")}};

const MenuList kEditBank{"EDITBANK",
                         {plain("EDITBANKNR"), plain("EDITBANKNAME"), plain("BANKMODE"), plain("BANKASSPEDALS"),
                          plain("COPYBANK", "copies a bank over another bank"), plain("ERASEBANK", "erases a bank"),
                          plain("EXITEDITBANK")}};

const MenuList kEditSet{"EDITSET",
                        {plain("EDITSETNR"), plain("EDITSETSEQ"), plain("COPYSET", "copies a set over another set"),
                         plain("ERASESET", "erases a set"), plain("EXITEDITSET")}};

const MenuList kMidi{"MIDI",
                     {plain("MIDIMERGING"), plain("FILTEREXTRAPC"), plain("DAD10CHANNEL"), plain("DEFAULTCHANNEL"),
                      plain("MIDIFILTERS"),
                      operation("MIDIDATADUMP", {"MIDIPRESSENTERDUMP", "MIDIDATADUMPCOMPLETE"},
                                "sends the whole memory as a MIDI dump, which overwrites a receiving device"),
                      operation("MIDIPATCHDUMP", {"SRCPATCH1", "DSTPATCH1", "MIDIPATCHDUMPCOMPLETE"},
                                "sends patches as a MIDI dump, which overwrites a receiving device"),
                      plain("MIDIEXIT")}};

const MenuList kMiscSetup{"MISCSETUP",
                          {plain("MEMORY"), plain("LEDDISPLAY"), plain("POWERUPPATCH"), plain("SYSEXEDIT"),
                           pedalSetup("SETUPEXPRPEDL1", {"SETUPEXPRPEDL1ENTER", "SETUPEXPRPEDL1UP"},
                                      "stores pedal 1's calibration (its down and up positions)", 1),
                           pedalSetup("SETUPEXPRPEDL2", {"SETUPEXPRPEDL2ENTER", "SETUPEXPRPEDL2UP"},
                                      "stores pedal 2's calibration (its down and up positions)", 2),
                           plain("EXITMISCSETUP")}};

const MenuList kUtilities{"UTILITIES",
                          {opens(kMidi), plain("GLOBEXPRPDL1"), plain("GLOBEXPRPDL2"), plain("HEXPATCHEDIT"),
                           operation("EXPNDRNSTAT", {"EXPNDPATCH", "EXPNDCOMPLETE"},
                                     "rewrites patches (expands running status)"),
                           operation("SHRNKRNSTAT", {"SHRNKPATCH", "SHRNKCOMPLETE"},
                                     "rewrites patches (shrinks running status)"),
                           operation("FACTORYPRESETS", {"PRESSENTERRESET", "RESETCOMPLETE"},
                                     "factory reset: erases every patch, bank and set"),
                           opens(kMiscSetup), plain("EXITUTILS")}};

const MenuList kTopLevel{"MENU",
                         {opens(kEditPatch), opens(kEditBank), opens(kEditSet), opens(kUtilities),
                          plain("EXITEDITMENU")}};

void collectNames(const MenuList& list, std::vector<std::string>& names) {
  for (const MenuItem& item : list.items) {
    names.emplace_back(item.name);
    if (item.list != nullptr) collectNames(*item.list, names);
    for (const char* stepName : item.steps) names.emplace_back(stepName);
  }
}

}  // namespace

const char* const MenuModel::PERFORMANCE_MODE = "performance mode";

const MenuList& MenuModel::topLevel() { return kTopLevel; }

std::vector<std::string> MenuModel::placeNames() {
  std::vector<std::string> names;
  collectNames(kTopLevel, names);
  return names;
}

const MenuItem& MenuModel::item() const {
  const Frame& frame = fFrames.back();
  return frame.list->items[static_cast<std::size_t>(frame.index)];
}

std::string MenuModel::place() const {
  if (fFrames.empty()) return PERFORMANCE_MODE;
  return fStep == 0 ? item().name : item().steps[static_cast<std::size_t>(fStep - 1)];
}

std::string MenuModel::danger() const {
  return fFrames.empty() || item().danger == nullptr ? "" : item().danger;
}

bool MenuModel::onPedalStep() const { return onStep() && item().pedal != 0; }

std::string MenuModel::enterWarning() const {
  if (onPedalStep()) return "ENTER here " + danger();
  if (onStep() || fFrames.empty() || item().pedal != 0 || danger().empty()) return "";
  return danger() + " (ENTER starts it)";
}

MenuModel::Move MenuModel::press(int keyCode) {
  if (fCompleting) {  // the operation has finished: the item shows again
    fCompleting = false;
    fStep = 0;
  }
  Move move;
  if (fFrames.empty()) {
    if (keyCode == KeyCode::NEXT) fFrames.push_back({&kTopLevel, 0});
  } else if (keyCode == KeyCode::ENTER) {
    move.performed = enter();
  } else if (fStep == 0 && keyCode == KeyCode::NEXT) {
    step(1);
  } else if (fStep == 0 && keyCode == KeyCode::PREV) {
    step(-1);
  }
  move.place = place();
  return move;
}

void MenuModel::step(int delta) {
  Frame& frame = fFrames.back();
  const int count = static_cast<int>(frame.list->items.size());
  frame.index = (frame.index + delta + count) % count;
}

std::string MenuModel::enter() {
  const MenuItem& current = item();
  const int steps = static_cast<int>(current.steps.size());
  if (fStep > 0) {
    const bool calibrated = current.pedal != 0 && fStep == steps;
    fStep = fStep < steps ? fStep + 1 : 0;
    fCompleting = current.completes && fStep == steps;
    return (fCompleting || calibrated) && current.danger != nullptr ? current.danger : "";
  }
  const Frame& frame = fFrames.back();
  if (frame.index + 1 == static_cast<int>(frame.list->items.size())) {
    fFrames.pop_back();  // the exit item
  } else if (current.list != nullptr) {
    fFrames.push_back({current.list, 0});
  } else if (steps > 0) {
    fStep = 1;
  } else if (current.danger != nullptr) {
    return current.danger;  // copy and erase act on ENTER
  }
  return "";
}

// The user finishes the calibration: each position still asked for, then home.
std::string MenuModel::pedalRefusal() const {
  const std::string pedal = std::to_string(item().pedal);
  std::string text = "refused: no way home from " + place() + " that stores nothing: ENTER there stores pedal " +
                     pedal + "'s calibration; to finish it, move the pedal ";
  const std::size_t steps = item().steps.size();
  for (auto i = static_cast<std::size_t>(fStep - 1); i < steps; ++i) {
    text += i + 1 == static_cast<std::size_t>(fStep) ? std::string(kPedalPositions[i]) + " and type enter"
                                                     : std::string(", then ") + kPedalPositions[i] + " and enter";
  }
  return text + ", then home";
}

int MenuModel::keyTowardsHome() const {
  if (fStep > 0) return KeyCode::ENTER;
  const Frame& frame = fFrames.back();
  const int toExit = static_cast<int>(frame.list->items.size()) - 1 - frame.index;
  if (toExit == 0) return KeyCode::ENTER;
  return toExit <= frame.index + 1 ? KeyCode::NEXT : KeyCode::PREV;  // PREV wraps from the first item to the exit
}

MenuModel::WayHome MenuModel::wayHome() const {
  MenuModel model(*this);
  if (model.fCompleting) {  // the operation is over: the next key acts on the item
    model.fCompleting = false;
    model.fStep = 0;
  }
  WayHome way;
  if (model.onStep() && model.item().completes) {
    way.refusal = "refused: no way home from " + model.place() + " that the model knows: ENTER there confirms " +
                  model.danger() + "; leave the step by hand";
    return way;
  }
  if (model.onPedalStep()) {
    way.refusal = model.pedalRefusal();
    return way;
  }
  while (!model.inPerformanceMode()) {
    const int key = model.keyTowardsHome();
    way.keys.emplace_back(key == KeyCode::ENTER ? "ENTER" : key == KeyCode::NEXT ? "NEXT" : "PREV");
    model.press(key);
  }
  return way;
}
