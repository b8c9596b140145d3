#include "midi/RtMidiSystem.h"

#include <RtMidi.h>

#include <algorithm>
#include <cstdlib>

#include "midi/JackWatch.h"
#include "midi/MidiLibraries.h"
#include "midi/RtMidiInput.h"
#include "midi/RtMidiOutput.h"

namespace {

const struct {
  const char* setting;
  const char* name;
  RtMidi::Api api;
} kApis[] = {{"alsa", "ALSA", RtMidi::LINUX_ALSA},
             {"jack", "JACK", RtMidi::UNIX_JACK},
             {"coremidi", "CoreMIDI", RtMidi::MACOSX_CORE}};

// The system PMCKEYS_MIDI_API asks for, or UNSPECIFIED with `error` set.
RtMidi::Api chosenApi(std::string& error) {
  std::vector<RtMidi::Api> compiled;
  RtMidi::getCompiledApi(compiled);
  const char* setting = std::getenv("PMCKEYS_MIDI_API");
  if (setting == nullptr || *setting == '\0') {
    if (compiled.empty()) error = "no MIDI system: RtMidi was built without any";
    return compiled.empty() ? RtMidi::UNSPECIFIED : compiled.front();
  }
  for (const auto& known : kApis) {
    if (setting != std::string(known.setting)) continue;
    for (RtMidi::Api api : compiled) {
      if (api == known.api) return api;
    }
    error = std::string("no MIDI system: ") + known.name + " is not built into RtMidi here";
    return RtMidi::UNSPECIFIED;
  }
  error = std::string("PMCKEYS_MIDI_API must be alsa, jack or coremidi, not <") + setting + ">";
  return RtMidi::UNSPECIFIED;
}

// RtMidi's constructors write to std::cerr and throw; this makes them do
// neither.
template <typename Midi>
std::unique_ptr<Midi> make(int api, const std::string& clientName, std::string& error) {
  MidiLibraries::QuietCerr quiet;
  try {
    return std::unique_ptr<Midi>(new Midi(static_cast<RtMidi::Api>(api), clientName));
  } catch (const RtMidiError& e) {
    error = e.getMessage();
    return nullptr;
  }
}

std::vector<std::string> portsOf(RtMidi& midi) {
  std::vector<std::string> names;
  const unsigned int count = midi.getPortCount();
  for (unsigned int i = 0; i < count; ++i) names.push_back(midi.getPortName(i));
  return names;
}

void ignoreError(RtMidiError::Type, const std::string&, void*) {}

// The ports a new RtMidi object sees; a port that vanishes meanwhile is no
// warning on standard error.
template <typename Midi>
std::vector<std::string> listPorts(int api, const std::string& clientName) {
  std::string error;
  std::unique_ptr<Midi> midi = make<Midi>(api, clientName, error);
  if (!midi) return {};
  midi->setErrorCallback(ignoreError);
  return portsOf(*midi);
}

// Opens the port of that full name on the wrapper's RtMidi object.
template <typename Wrapper>
bool openNamed(Wrapper& wrapper, const std::string& port, const std::string& ownPort, std::string& error) {
  const std::vector<std::string> names = portsOf(wrapper.midi());
  for (unsigned int i = 0; i < names.size(); ++i) {
    if (names[i] != port) continue;
    wrapper.midi().openPort(i, ownPort);
    error = wrapper.lastError();
    return error.empty();
  }
  error = "no MIDI port <" + port + ">";
  return false;
}

template <typename Wrapper>
bool openVirtual(Wrapper& wrapper, const std::string& port, std::string& error) {
  wrapper.midi().openVirtualPort(port);
  error = wrapper.lastError();
  return error.empty();
}

// A new RtMidi object with its wrapper, on the port of that full name, or
// on a virtual port of that name when ownPort is null (else the name of
// this program's end of the connection). Every RtMidi object is a client
// of its own on the MIDI system; a virtual port's client carries the
// port's name too, so that JACK need not rename a second client of the
// same name ("NAME-01") and the port's full name is known in advance.
template <typename Midi, typename Wrapper, typename Interface>
std::unique_ptr<Interface> openOn(RtMidiSystem& system, int api, const std::string& clientName,
                                  const std::string& port, const char* ownPort, std::string& error) {
  std::unique_ptr<Midi> midi = make<Midi>(api, ownPort == nullptr ? clientName + " " + port : clientName, error);
  if (!midi) return nullptr;
  std::unique_ptr<Wrapper> wrapper(new Wrapper(std::move(midi), system, ownPort == nullptr ? "" : port));
  const bool opened =
      ownPort == nullptr ? openVirtual(*wrapper, port, error) : openNamed(*wrapper, port, ownPort, error);
  if (!opened) return nullptr;
  return wrapper;
}

}  // namespace

std::unique_ptr<MidiSystem> RtMidiSystem::open(const std::string& clientName, std::string& error) {
  MidiLibraries::silence();
  const RtMidi::Api api = chosenApi(error);
  if (api == RtMidi::UNSPECIFIED) return nullptr;
  const std::string why = MidiLibraries::unavailable(api, clientName);
  if (!why.empty()) {
    error = "no MIDI system: " + why;
    return nullptr;
  }
  return std::unique_ptr<MidiSystem>(new RtMidiSystem(api, clientName));
}

RtMidiSystem::RtMidiSystem(int api, const std::string& clientName) : fApi(api), fClientName(clientName) {}

RtMidiSystem::~RtMidiSystem() = default;

void RtMidiSystem::watch() {
#ifdef PMCKEYS_HAVE_JACK
  if (fApi != RtMidi::UNIX_JACK || fWatch) return;
  fWatch.reset(new JackWatch(fClientName));
  fWatch->serverRunning();  // listening from now on; if turned away, asked again at the first look
#endif
}

MidiPortState RtMidiSystem::portState(RtMidi& midi, const std::string& port) {
  if (fWatch && !fWatch->serverRunning()) return MidiPortState::SystemGone;
  if (port.empty()) return MidiPortState::Present;
  const std::vector<std::string> names = portsOf(midi);
  return std::find(names.begin(), names.end(), port) != names.end() ? MidiPortState::Present
                                                                     : MidiPortState::PortGone;
}

std::string RtMidiSystem::name() const {
  for (const auto& known : kApis) {
    if (known.api == fApi) return known.name;
  }
  return RtMidi::getApiDisplayName(static_cast<RtMidi::Api>(fApi));
}

std::size_t RtMidiSystem::longestMessage() const { return fApi == RtMidi::UNIX_JACK ? JACK_LONGEST_MESSAGE : 0; }

std::vector<std::string> RtMidiSystem::ports(Direction direction) {
  return direction == Direction::In ? listPorts<RtMidiIn>(fApi, fClientName) : listPorts<RtMidiOut>(fApi, fClientName);
}

std::unique_ptr<MidiInput> RtMidiSystem::openInput(const std::string& port, std::string& error) {
  watch();
  return openOn<RtMidiIn, RtMidiInput, MidiInput>(*this, fApi, fClientName, port, "in", error);
}

std::unique_ptr<MidiOutput> RtMidiSystem::openOutput(const std::string& port, std::string& error) {
  watch();
  return openOn<RtMidiOut, RtMidiOutput, MidiOutput>(*this, fApi, fClientName, port, "out", error);
}

std::unique_ptr<MidiInput> RtMidiSystem::openVirtualInput(const std::string& port, std::string& error) {
  return openOn<RtMidiIn, RtMidiInput, MidiInput>(*this, fApi, fClientName, port, nullptr, error);
}

std::unique_ptr<MidiOutput> RtMidiSystem::openVirtualOutput(const std::string& port, std::string& error) {
  return openOn<RtMidiOut, RtMidiOutput, MidiOutput>(*this, fApi, fClientName, port, nullptr, error);
}
