#include "commandmodel/ReturnCheck.h"

#include <list>

#include "commandmodel/Dad10.h"

namespace {

const char* const kByHand = "; press the keys without r and leave the menus by hand";

std::string confirms(const std::string& performed, const std::string& place) {
  return "refused: the way back along the trail would confirm " + performed + " at " + place + kByHand;
}

std::string pressesOnStep(const std::string& key, const std::string& place) {
  return "refused: the way back along the trail would press " + key + " on " + place +
         ", where keys edit and store a value" + kByHand;
}

std::string leavesAt(const std::string& place) {
  return "refused: the way back along the trail would leave the device at " + place + ", not in performance mode" +
         kByHand;
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
  // An operation confirmed outweighs a value stored, which outweighs a
  // device left in the menus: the refusal names the worst.
  std::string onStep;
  for (const std::string& token : Dad10::wayBack(trail)) {
    for (int code : Dad10::expand(token).codes) {
      const std::string place = result.model.place();
      if (onStep.empty() && result.model.onStep()) onStep = pressesOnStep(token, place);
      const std::string performed = result.model.press(code).performed;
      if (!performed.empty()) return {confirms(performed, place), start};
    }
  }
  if (!onStep.empty()) return {onStep, start};
  if (!result.model.inPerformanceMode()) return {leavesAt(result.model.place()), start};
  return result;
}
