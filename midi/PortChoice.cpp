#include "midi/PortChoice.h"

#include <algorithm>
#include <cctype>

namespace {

const std::string kThrough = "Midi Through:";

std::string folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The indexes of the ports `wanted` picks out.
std::vector<int> candidates(const std::vector<std::string>& ports, const std::string& wanted) {
  std::vector<int> found, whole;
  for (int i = 0; i < static_cast<int>(ports.size()); ++i) {
    const std::string name = folded(ports[static_cast<std::size_t>(i)]);
    const bool through = name.compare(0, kThrough.size(), folded(kThrough)) == 0;
    if (wanted.empty() ? !through : name.find(folded(wanted)) != std::string::npos) found.push_back(i);
    if (!wanted.empty() && name == folded(wanted)) whole.push_back(i);
  }
  return whole.size() == 1 ? whole : found;
}

std::string listed(const std::vector<std::string>& ports) {
  std::string text;
  for (const std::string& port : ports) text += "\n  " + port;
  return text;
}

}  // namespace

int PortChoice::choose(const std::vector<std::string>& ports, const std::string& wanted, const Request& request,
                       std::string& error) {
  const std::vector<int> found = candidates(ports, wanted);
  if (found.size() == 1) return found.front();
  const std::string what = "MIDI " + request.kind + " port";
  const std::string named = request.variable + "=<" + wanted + ">";
  if (found.empty()) {
    error = "no " + what + " on " + request.system + (wanted.empty() ? "" : " matches " + named);
  } else if (wanted.empty()) {
    error = std::to_string(found.size()) + " " + what + "s on " + request.system + ": name one in " + request.variable +
            " (a part of its name will do)";
  } else {
    error = std::to_string(found.size()) + " " + what + "s on " + request.system + " match " + named +
            ": name one more exactly";
  }
  if (!ports.empty()) error += "; there are:";
  error += listed(ports);
  return -1;
}
