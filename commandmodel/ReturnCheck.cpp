#include "commandmodel/ReturnCheck.h"

#include <list>

#include "commandmodel/Dad10.h"

namespace {

std::string refusal(const std::string& performed, const std::string& place) {
  std::string text = "refused: the way back along the trail would confirm ";
  text += performed;
  text += " at ";
  text += place;
  text += "; press the keys without r and leave the menus by hand";
  return text;
}

}  // namespace

ReturnCheck::Result ReturnCheck::check(const MenuModel& start, const std::vector<std::string>& tokens) {
  Result result{std::nullopt, start};
  std::list<std::string> trail;
  for (const std::string& token : tokens) {
    for (int code : Dad10::expand(token).codes) {
      result.model.press(code);
      Dad10::recordWayBack(code, trail);
    }
  }
  for (const std::string& token : Dad10::wayBack(trail)) {
    for (int code : Dad10::expand(token).codes) {
      const std::string place = result.model.place();
      const std::string performed = result.model.press(code).performed;
      if (!performed.empty()) return {refusal(performed, place), start};
    }
  }
  return result;
}
