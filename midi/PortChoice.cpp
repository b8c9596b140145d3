#include "midi/PortChoice.h"

#include <algorithm>
#include <cctype>

#include "frontend/Conversions.h"

namespace {

const std::string kThrough = "Midi Through:";

std::string folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The indexes of the ports `wanted` picks out.
std::vector<std::size_t> candidates(const std::vector<std::string>& ports, const std::string& wanted) {
  std::vector<std::size_t> found, whole;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const std::string name = folded(ports[i]);
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

Result<std::size_t> PortChoice::choose(const std::vector<std::string>& ports, const std::string& wanted,
                                       const Request& request) {
  const std::vector<std::size_t> found = candidates(ports, wanted);
  if (found.size() == 1) return found.front();
  const std::string what = "MIDI " + request.kind + " port";
  const std::string named = request.variable + "=<" + Conversions::shown(wanted) + ">";
  std::string error;
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
  return Failed(error + listed(ports));
}

bool PortChoice::noneToTake(const std::vector<std::string>& ports, const std::string& wanted) {
  return wanted.empty() && candidates(ports, wanted).empty();
}
