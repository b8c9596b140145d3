// PortChoice: which MIDI port a run uses. The user names it by a part of
// its name in any letter case, as one types "UM-ONE" for
// "UM-ONE:UM-ONE MIDI 1 24:0"; a name matched whole wins over names that
// merely contain it. Named by nobody, the port is the only one there is,
// not counting the ALSA's "Midi Through" port, which every Linux has and
// no device is on.
#ifndef PMCKEYS_MIDI_PORTCHOICE_H
#define PMCKEYS_MIDI_PORTCHOICE_H

#include <string>
#include <vector>

#include "midi/Result.h"

class PortChoice {
public:
  // What is being chosen, for the error texts: "input", "PMCKEYS_MIDI_IN",
  // the system's name.
  struct Request {
    std::string kind;
    std::string variable;
    std::string system;
  };

  // The index in `ports` of the one `wanted` names ("" for: the only one);
  // a failure says why in one line, then names the ports that exist, one
  // per line.
  static Result<std::size_t> choose(const std::vector<std::string>& ports, const std::string& wanted,
                                    const Request& request);
  // True when nobody named a port and there is none to take.
  static bool noneToTake(const std::vector<std::string>& ports, const std::string& wanted);
};

#endif
