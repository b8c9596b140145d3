// The compound command table checked against the menu model: every name
// that stands for a place leads there from performance mode, the fixed ways
// back end in performance mode, and so does the recorded trail from every
// place reached by menu moves alone. Every "r NAME" and "r NAME enter" is
// either refused by the return check or presses what it always pressed.
#include <iterator>
#include <set>
#include <sstream>

#include "commandmodel/CommandTable.h"
#include "commandmodel/ReturnCheck.h"
#include "tests/support/Dad10Fixture.h"
#include "tests/support/Process.h"

namespace {

using MenuTable = Dad10Fixture;

const std::set<std::string> kWaysBack = {"ENDMIDIDATADUMPCOMPLETE", "ENDCALIBRATEPEDAL1", "ENDCALIBRATEPEDAL2"};

bool isStep(const std::string& name) {
  // A step is a place listed among an item's steps.
  std::vector<const MenuList*> lists{&MenuModel::topLevel()};
  while (!lists.empty()) {
    const MenuList* list = lists.back();
    lists.pop_back();
    for (const MenuItem& item : list->items) {
      if (item.list != nullptr) lists.push_back(item.list);
      for (const char* step : item.steps) {
        if (name == step) return true;
      }
    }
  }
  return false;
}

TEST_F(MenuTable, HasTheDocumentedSize) {
  EXPECT_EQ(kKeyNameCount, 28u);
  EXPECT_EQ(kCompoundCommandCount, 72u);
}

TEST_F(MenuTable, EveryPlaceNameLeadsToThatPlace) {
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
    const std::string name = kCompoundCommands[i].name;
    if (kWaysBack.count(name) != 0) continue;
    port->clear();
    EXPECT_TRUE(press({name}));
    EXPECT_EQ(port->model().place(), name);
  }
}

TEST_F(MenuTable, EveryPlaceOfTheModelHasACompoundCommand) {
  const std::set<std::string> unnamed = {"SETUPEXPRPEDL1UP", "SETUPEXPRPEDL2UP"};  // the pedal-up steps
  for (const std::string& place : MenuModel::placeNames()) {
    if (unnamed.count(place) != 0) continue;
    EXPECT_NE(Dad10::decodeCompound(place), "") << place;
  }
}

TEST_F(MenuTable, FixedWaysBackEndInPerformanceMode) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{"setupexprpedl1enter", "enter", "enter", "endcalibratepedal1"}, {}},
      {{"setupexprpedl2enter", "enter", "enter", "endcalibratepedal2"}, {}},
      {{"setupexprpedl1", "endcalibratepedal1"}, {}},
      {{"mididatadumpcomplete", "endmididatadumpcomplete"},
       {"sends the whole memory as a MIDI dump, which overwrites a receiving device"}},
  };
  for (const auto& c : cases) {
    port->clear();
    press(c.first);
    EXPECT_TRUE(port->model().inPerformanceMode()) << c.first.front() << " ended at " << port->model().place();
    EXPECT_EQ(port->performed(), c.second);
  }
}

TEST_F(MenuTable, TrailReturnsFromEveryListAndItem) {
  int checked = 0;
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
    const std::string name = kCompoundCommands[i].name;
    if (kWaysBack.count(name) != 0 || isStep(name)) continue;
    port->clear();
    capture([&] { press({name}, true, true); });
    EXPECT_TRUE(port->model().inPerformanceMode()) << "r " << name << " ended at " << port->model().place();
    EXPECT_TRUE(port->performed().empty()) << "r " << name << " performed " << port->performed().front();
    ++checked;
  }
  EXPECT_EQ(checked, 53);  // 72 less 3 ways back and 16 steps
}

TEST_F(MenuTable, EveryReturnPressesWhatItPressedBeforeOrIsRefused) {
  // For "r NAME" and "r NAME enter": the keys in hex, "|" at the return's pause, or "refused".
  std::istringstream expected(readTestFile("returns.txt"));
  for (const char* suffix : {"", " enter"}) {
    for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
      std::istringstream words(std::string(kCompoundCommands[i].name) + suffix);
      const std::vector<std::string> tokens{std::istream_iterator<std::string>(words), {}};
      const ReturnCheck::Result checked = ReturnCheck::check(MenuModel(), tokens);
      std::ostringstream actual;
      actual << "r " << kCompoundCommands[i].name << suffix << ":" << std::hex;
      port->clear();
      if (checked.refusal) {
        actual << " refused";
      } else {
        press(tokens, false, true);
      }
      for (const std::string& call : port->calls()) {
        if (call == "sleep 500") actual << " |";
        if (call.compare(0, 5, "send ") == 0 && call != "send 255") actual << " " << std::stoi(call.substr(5));
      }
      std::string line;
      std::getline(expected, line);
      EXPECT_EQ(actual.str(), line);
      EXPECT_EQ(checked.model.place(), port->model().place()) << line;
    }
  }
}

TEST_F(MenuTable, TheCheckGoesOnFromWhereTheDeviceIs) {
  MenuModel start;
  for (int code : Dad10::expand("pressenterreset").codes) start.press(code);
  EXPECT_FALSE(ReturnCheck::check(MenuModel(), {}).refusal);
  const ReturnCheck::Result fromThere = ReturnCheck::check(start, {});  // the return's ENTER confirms the reset
  EXPECT_TRUE(fromThere.refusal);
  EXPECT_EQ(fromThere.model.place(), "PRESSENTERRESET");
}

TEST_F(MenuTable, WayHomeFromEveryPlaceCarriesOutNothing) {
  const std::set<std::string> refused = {"MIDIPRESSENTERDUMP", "SRCPATCH1", "DSTPATCH1",
                                         "EXPNDPATCH",         "SHRNKPATCH", "PRESSENTERRESET"};
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
    const std::string name = kCompoundCommands[i].name;
    port->clear();
    press({name});
    const std::size_t performed = port->performed().size();
    const MenuModel::WayHome way = port->model().wayHome();
    EXPECT_EQ(way.refusal.empty(), refused.count(name) == 0) << name << ": " << way.refusal;
    press(way.keys);
    EXPECT_TRUE(way.refusal.empty() == port->model().inPerformanceMode()) << name;
    EXPECT_EQ(port->performed().size(), performed) << name;
  }
  port->clear();
  press({"editbanknr"});
  EXPECT_EQ(port->model().wayHome().keys, (std::vector<std::string>{"PREV", "ENTER", "PREV", "PREV", "ENTER"}));
  port->clear();
  press({"midipressenterdump"});
  EXPECT_EQ(port->model().wayHome().refusal,
            "refused: no way home from MIDIPRESSENTERDUMP that the model knows: ENTER there confirms sends the whole "
            "memory as a MIDI dump, which overwrites a receiving device; leave the step by hand");
}

}  // namespace
