// The compound command table checked against the menu model: every name
// that stands for a place leads there from performance mode, the fixed ways
// back end in performance mode, and so does the recorded trail from every
// place reached by menu moves alone.
#include <algorithm>
#include <set>

#include "commandmodel/CommandTable.h"
#include "tests/support/Dad10Fixture.h"

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

TEST_F(MenuTable, TrailFromInsideAnOperationConfirmsIt) {
  // The README's warning: PREV ENTER on a confirmation step is a confirmation.
  capture([&] { press({"expndpatch"}, false, true); });
  EXPECT_EQ(port->performed(), std::vector<std::string>{"rewrites patches (expands running status)"});
}

}  // namespace
