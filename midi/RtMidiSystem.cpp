#include "midi/RtMidiSystem.h"

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "midi/AlsaOutput.h"
#include "frontend/Conversions.h"
#include "midi/JackWatch.h"
#include "midi/MidiLibraries.h"
#include "midi/RtMidiInput.h"
#include "midi/RtMidiOutput.h"

namespace {

// How often a port is opened again when the list changed under the open.
const int OPEN_ATTEMPTS = 5;

const struct {
  const char* setting;
  const char* name;
  RtMidi::Api api;
} kApis[] = {{"alsa", "ALSA", RtMidi::LINUX_ALSA},
             {"jack", "JACK", RtMidi::UNIX_JACK},
             {"coremidi", "CoreMIDI", RtMidi::MACOSX_CORE}};

// The system PMCKEYS_MIDI_API asks for.
Result<RtMidi::Api> chosenApi() {
  std::vector<RtMidi::Api> compiled;
  RtMidi::getCompiledApi(compiled);
  const char* setting = std::getenv("PMCKEYS_MIDI_API");
  if (setting == nullptr || *setting == '\0') {
    if (compiled.empty()) return Failed("no MIDI system: RtMidi was built without any");
    return compiled.front();
  }
  for (const auto& known : kApis) {
    if (setting != std::string(known.setting)) continue;
    for (RtMidi::Api api : compiled) {
      if (api == known.api) return api;
    }
    return Failed(std::string("no MIDI system: ") + known.name + " is not built into RtMidi here");
  }
  return Failed("PMCKEYS_MIDI_API must be alsa, jack or coremidi, not <" + Conversions::shown(setting) + ">");
}

// RtMidi's constructors write to std::cerr and throw; this makes them do
// neither. A JACK server busy with other clients coming and going may turn
// a new one away for a moment: asked a few times before the answer counts.
template <typename Midi>
Result<std::unique_ptr<Midi>> make(int api, const std::string& clientName) {
  MidiLibraries::QuietCerr quiet;
  for (int attempt = 1;; ++attempt) {
    try {
      return std::unique_ptr<Midi>(new Midi(static_cast<RtMidi::Api>(api), clientName));
    } catch (const RtMidiError& e) {
      if (attempt == OPEN_ATTEMPTS) return Failed(e.getMessage());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::vector<std::string> readPorts(RtMidi& midi) {
  std::vector<std::string> names;
  const unsigned int count = midi.getPortCount();
  for (unsigned int i = 0; i < count; ++i) names.push_back(midi.getPortName(i));
  return names;
}

// The names of the ports `midi` sees. RtMidi reads the server's list anew
// for the count and for each name: a client starting or ending beside us
// meanwhile leaves a gap (named "" after an error of RtMidi's own) or shifts
// the names. The list counts when two reads in a row agree and have no gap.
std::vector<std::string> portsOf(RtMidi& midi) {
  std::vector<std::string> names, again = readPorts(midi);
  for (int attempt = 0; attempt < OPEN_ATTEMPTS; ++attempt) {
    names = std::move(again);
    again = readPorts(midi);
    if (again == names && std::find(names.begin(), names.end(), std::string()) == names.end()) break;
  }
  return again;
}

void ignoreError(RtMidiError::Type, const std::string&, void*) {}

// The ports a new RtMidi object sees; a port that vanishes meanwhile is no
// warning on standard error.
template <typename Midi>
Result<std::vector<std::string>> listPorts(int api, const std::string& clientName) {
  Result<std::unique_ptr<Midi>> midi = make<Midi>(api, clientName);
  if (!midi) return Failed(midi.error());
  midi.value()->setErrorCallback(ignoreError);
  return portsOf(*midi.value());
}

// Opens the port of that full name on the wrapper's RtMidi object. RtMidi
// opens a port by its place in the list, which another program may change
// between the look and the open (a client starting or ending beside us): the
// open counts only if the list is the same after it, else it is made again;
// an error is the open's own only if the list did not change meanwhile.
template <typename Wrapper>
Result<> openNamed(Wrapper& wrapper, const std::string& port, const std::string& ownPort) {
  for (int attempt = 0; attempt < OPEN_ATTEMPTS; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));  // past a burst of changes
    const std::vector<std::string> names = portsOf(wrapper.midi());
    const auto found = std::find(names.begin(), names.end(), port);
    if (found == names.end()) continue;
    wrapper.lastError().clear();
    wrapper.midi().openPort(static_cast<unsigned int>(found - names.begin()), ownPort);
    const std::string error = wrapper.lastError();
    if (portsOf(wrapper.midi()) == names) return failureIf(error);
    wrapper.midi().closePort();
  }
  wrapper.lastError().clear();
  return Failed("no MIDI port <" + port + ">");
}

template <typename Wrapper>
Result<> openVirtual(Wrapper& wrapper, const std::string& port) {
  wrapper.midi().openVirtualPort(port);
  return failureIf(wrapper.lastError());
}

// A new RtMidi object with its wrapper, on the port of that full name, or
// on a virtual port of that name when ownPort is null (else the name of
// this program's end of the connection). Every RtMidi object is a client
// of its own on the MIDI system; a virtual port's client carries the
// port's name too, so that JACK need not rename a second client of the
// same name ("NAME-01") and the port's full name is known in advance.
template <typename Midi, typename Wrapper, typename Interface>
Result<std::unique_ptr<Interface>> openOn(RtMidiSystem& system, int api, const std::string& clientName,
                                          const std::string& port, const char* ownPort) {
  Result<std::unique_ptr<Midi>> midi = make<Midi>(api, ownPort == nullptr ? clientName + " " + port : clientName);
  if (!midi) return Failed(midi.error());
  std::unique_ptr<Wrapper> wrapper(new Wrapper(std::move(midi.value()), system, ownPort == nullptr ? "" : port));
  const Result<> opened = ownPort == nullptr ? openVirtual(*wrapper, port) : openNamed(*wrapper, port, ownPort);
  if (!opened) return Failed(opened.error());
  return std::unique_ptr<Interface>(std::move(wrapper));
}

}  // namespace

Result<std::unique_ptr<MidiSystem>> RtMidiSystem::open(const std::string& clientName) {
  MidiLibraries::silence();
  const Result<RtMidi::Api> api = chosenApi();
  if (!api) return Failed(api.error());
  const std::string why = MidiLibraries::unavailable(api.value());
  if (!why.empty()) return Failed("no MIDI system: " + why);
  std::unique_ptr<JackWatch> watch;
  if (api.value() == RtMidi::UNIX_JACK) {
    watch.reset(new JackWatch(clientName));
    const Result<> opened = watch->open();
    if (!opened) return Failed(opened.error());
  }
  return std::unique_ptr<MidiSystem>(new RtMidiSystem(api.value(), clientName, std::move(watch)));
}

RtMidiSystem::RtMidiSystem(int api, const std::string& clientName, std::unique_ptr<JackWatch> watch)
    : fApi(api), fClientName(clientName), fWatch(std::move(watch)) {}

RtMidiSystem::~RtMidiSystem() = default;

namespace {

void keepError(RtMidiError::Type, const std::string& text, void* error) {
  std::string& kept = *static_cast<std::string*>(error);
  if (kept.empty()) kept = text;
}

}  // namespace

void RtMidiSystem::keepErrors(RtMidi& midi, std::string& error) { midi.setErrorCallback(keepError, &error); }

bool RtMidiSystem::stalled() { return fWatch && (fWatch->gone() || fWatch->quietMs() >= JackWatch::STALLED_AFTER_MS); }

bool RtMidiSystem::retire(RtMidi& midi) {
  if (!fWatch) return true;
  if (stalled()) return false;
  midi.closePort();
  fWatch->awaitCycle(fWatch->cycles(), JackWatch::STALLED_AFTER_MS);
  return true;
}

void RtMidiSystem::park(RtMidi* midi) {
  static auto* const parked = new std::vector<RtMidi*>();
  parked->push_back(midi);
}

MidiCycles RtMidiSystem::cycles() {
  if (!fWatch) return {};
  MidiCycles cycles;
  cycles.counted = true;
  cycles.run = fWatch->cycles();
  cycles.missed = fWatch->missedCycles();
  cycles.quietMs = fWatch->quietMs();
  return cycles;
}

Result<> RtMidiSystem::live(const std::string& from, const std::string& to) {
  if (!fWatch || fWatch->awaitLive(from, to)) return Done();
  return Failed("the JACK connection from <" + from + "> to <" + to + "> did not come up within " +
                std::to_string(JackWatch::LIVE_WITHIN_MS / 1000) + " s");
}

MidiPortState RtMidiSystem::portState(RtMidi& midi, const std::string& port) {
  if (fWatch && fWatch->gone()) return MidiPortState::SystemGone;
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

std::string RtMidiSystem::longerCarrier() const {
#ifdef PMCKEYS_HAVE_ALSA
  if (fApi != RtMidi::LINUX_ALSA) return "ALSA";
#endif
  return "";
}

Result<std::vector<std::string>> RtMidiSystem::ports(Direction direction) {
  if (fWatch) return fWatch->ports(direction == Direction::Out);
  return direction == Direction::In ? listPorts<RtMidiIn>(fApi, fClientName) : listPorts<RtMidiOut>(fApi, fClientName);
}

Result<std::unique_ptr<MidiInput>> RtMidiSystem::openInput(const std::string& port) {
  if (fWatch) fWatch->cycles();  // counting from before the port is there
  Result<std::unique_ptr<MidiInput>> input = openOn<RtMidiIn, RtMidiInput, MidiInput>(*this, fApi, fClientName, port, "in");
  if (!input || !fWatch) return input;
  const Result<> up = live(port, fWatch->ownPort("in", true));
  if (!up) return Failed(up.error());
  return input;
}

Result<std::unique_ptr<MidiOutput>> RtMidiSystem::openOutput(const std::string& port) {
#ifdef PMCKEYS_HAVE_ALSA
  if (fApi == RtMidi::LINUX_ALSA) return AlsaOutput::open(fClientName, port);
#endif
  if (fWatch) fWatch->cycles();
  Result<std::unique_ptr<MidiOutput>> output =
      openOn<RtMidiOut, RtMidiOutput, MidiOutput>(*this, fApi, fClientName, port, "out");
  if (!output || !fWatch) return output;
  const Result<> up = live(fWatch->ownPort("out", false), port);
  if (!up) return Failed(up.error());
  return output;
}

Result<std::unique_ptr<MidiInput>> RtMidiSystem::openVirtualInput(const std::string& port) {
  if (fWatch) fWatch->cycles();
  return openOn<RtMidiIn, RtMidiInput, MidiInput>(*this, fApi, fClientName, port, nullptr);
}

Result<std::unique_ptr<MidiOutput>> RtMidiSystem::openVirtualOutput(const std::string& port) {
  if (fWatch) fWatch->cycles();
  return openOn<RtMidiOut, RtMidiOutput, MidiOutput>(*this, fApi, fClientName, port, nullptr);
}
