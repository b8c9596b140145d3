// MenuModel: where the device is in its menus, as the front-panel keys move
// it. Written from the device's menu structure, independently of the
// compound command table, so that the table can be checked against it.
//
// From performance mode MENU opens the top level (EDITPATCH, EDITBANK,
// EDITSET, UTILITIES, EXITEDITMENU); MENU/NEXT and PREV step through a list
// and wrap at its ends; ENTER opens a position's list, or an item's steps,
// and ENTER on a list's last (exit) item goes back to where the list was
// opened. ENTER on the last step of an item goes back to the item; a step
// that completes an operation (a dump, a factory reset) is shown until the
// next key, by which time the device shows the item again. On a pedal's
// setup steps ENTER stores where the pedal stands (down, then up), and the
// ENTER on the last one stores the calibration. Other keys edit values and
// move nothing.
#ifndef PMCKEYS_COMMANDMODEL_MENUMODEL_H
#define PMCKEYS_COMMANDMODEL_MENUMODEL_H

#include <string>
#include <vector>

struct MenuList;

struct MenuItem {
  const char* name;
  const MenuList* list;            // the list ENTER opens, or null
  std::vector<const char*> steps;  // what each further ENTER shows
  bool completes;                  // the last step carries out the operation
  const char* danger;              // what the item does to the device's data, or null
  int pedal;                       // the pedal whose calibration ENTER on the steps stores, or 0
};

struct MenuList {
  const char* name;
  std::vector<MenuItem> items;  // the last one is the exit item
};

class MenuModel {
public:
  static const char* const PERFORMANCE_MODE;

  // What one key did.
  struct Move {
    std::string place;      // where the device is afterwards
    std::string performed;  // the operation this key carried out, or ""
  };

  // The top level, whose lists hold every place of the menus.
  static const MenuList& topLevel();
  // Every place the model knows by name, in menu order.
  static std::vector<std::string> placeNames();

  Move press(int keyCode);
  std::string place() const;
  bool inPerformanceMode() const { return fFrames.empty(); }
  // True on an item's steps, where PREV and NEXT edit values and ENTER
  // confirms: the ground on which a way back made of PREV ENTER misleads.
  bool onStep() const { return fStep > 0; }
  // What the current item does to the device's data, or "".
  std::string danger() const;
  // What ENTER does here to the device's data, for a warning before it is
  // pressed: on a dangerous item (not a pedal's) ENTER starts the operation,
  // on a pedal's setup step it stores the calibration. "" elsewhere.
  std::string enterWarning() const;

  // The keys that lead from here to performance mode carrying out nothing:
  // on an item's steps ENTER to their end, then in each list PREV or NEXT
  // (whichever is fewer presses) to its exit item and ENTER. Empty in
  // performance mode. On an operation's step every way out confirms it, and
  // on a pedal's setup step every way out stores the calibration, so there
  // is none: refusal says why.
  struct WayHome {
    std::vector<std::string> keys;  // key names: PREV, NEXT, ENTER
    std::string refusal;            // "refused: ..." or ""
  };
  WayHome wayHome() const;

private:
  struct Frame {
    const MenuList* list;
    int index;
  };

  const MenuItem& item() const;
  bool onPedalStep() const;
  std::string pedalRefusal() const;
  int keyTowardsHome() const;
  std::string enter();
  void step(int delta);

  std::vector<Frame> fFrames;  // empty in performance mode
  int fStep = 0;               // 0 on the item itself, else the step shown
  bool fCompleting = false;    // an operation's last step is showing
};

#endif
