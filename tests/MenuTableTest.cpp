// The compound command table checked against the menu model: every name that stands for a place leads there from
// performance mode, and the fixed ways back end in performance mode. Every "r NAME" and "r NAME enter" is either
// refused by the return check or presses what it always pressed and ends in performance mode, having carried out
// nothing.
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
      {{"setupexprpedl1enter", "enter", "enter", "endcalibratepedal1"},
       {"stores pedal 1's calibration (its down and up positions)"}},
      {{"setupexprpedl2enter", "enter", "enter", "endcalibratepedal2"},
       {"stores pedal 2's calibration (its down and up positions)"}},
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

TEST_F(MenuTable, EveryReturnEndsInPerformanceModeOrIsRefused) {
  // For "r NAME" and "r NAME enter": the keys in hex, "|" at the return's pause, where it ends; or the refusal.
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
        actual << " " << *checked.refusal;
      } else {
        press(tokens, false, true);
      }
      for (const std::string& call : port->calls()) {
        if (call == "sleep 500") actual << " |";
        if (call.compare(0, 5, "send ") == 0 && call != "send 255") actual << " " << std::stoi(call.substr(5));
      }
      if (!checked.refusal) actual << " -> " << port->model().place();
      std::string line;
      std::getline(expected, line);
      EXPECT_EQ(actual.str(), line);
      EXPECT_EQ(checked.model.place(), port->model().place()) << line;
      EXPECT_TRUE(port->performed().empty()) << line;
      EXPECT_TRUE(checked.refusal || port->model().inPerformanceMode()) << line;
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
  const std::set<std::string> refused = {"MIDIPRESSENTERDUMP", "SRCPATCH1", "DSTPATCH1", "EXPNDPATCH", "SHRNKPATCH",
                                         "PRESSENTERRESET", "SETUPEXPRPEDL1ENTER", "SETUPEXPRPEDL2ENTER"};
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
