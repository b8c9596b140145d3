#include "midi/MidiConnection.h"

#include <cstdlib>

#include "midi/MidiModule.h"
#include "midi/PortChoice.h"

bool MidiConnection::open(std::string& error) {
  fSystem = MidiModule::open("pmckeys", error);
  return fSystem != nullptr;
}

bool MidiConnection::choose(MidiSystem::Direction direction, std::string& port, std::string& error) {
  const bool in = direction == MidiSystem::Direction::In;
  const PortChoice::Request request = {in ? "input" : "output", in ? "PMCKEYS_MIDI_IN" : "PMCKEYS_MIDI_OUT",
                                       fSystem->name()};
  const char* wanted = std::getenv(request.variable.c_str());
  const std::vector<std::string> ports = fSystem->ports(direction);
  const int index = PortChoice::choose(ports, wanted != nullptr ? wanted : "", request, error);
  if (index < 0) return false;
  port = ports[static_cast<std::size_t>(index)];
  return true;
}

std::unique_ptr<MidiInput> MidiConnection::openInput(std::string& port, std::string& error) {
  if (!choose(MidiSystem::Direction::In, port, error)) return nullptr;
  return fSystem->openInput(port, error);
}

std::unique_ptr<MidiOutput> MidiConnection::openOutput(std::string& port, std::string& error) {
  if (!choose(MidiSystem::Direction::Out, port, error)) return nullptr;
  return fSystem->openOutput(port, error);
}

std::string MidiConnection::lost(MidiEnd& end, const std::string& port) {
  switch (end.portState()) {
    case MidiPortState::PortGone:
      return "the MIDI port <" + port + "> went away";
    case MidiPortState::SystemGone:
      return "the JACK server stopped";
    case MidiPortState::Present:
      break;
  }
  return "";
}

std::vector<std::string> MidiConnection::listing() {
  std::vector<std::string> lines;
  for (const std::string& port : fSystem->ports(MidiSystem::Direction::In)) lines.push_back("in  " + port);
  for (const std::string& port : fSystem->ports(MidiSystem::Direction::Out)) lines.push_back("out " + port);
  return lines;
}
