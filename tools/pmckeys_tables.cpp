// Build-time tool: fills a template with word lists and manual sections made
// from pmckeys' own tables, so that the shell completions and the manual can
// never name a key or compound command the tool does not have.
//
//   pmckeys_tables TEMPLATE OUTPUT
//
// Placeholders: @KEYWORDS@ @OPTIONS@ @TOKENS@ @PLACES@ (blank-separated
// words, upper case; the places are those `map` takes), @SIM_OPTIONS@
// @SIM_FAULTS@ @SIM_VALUE_OPTIONS@ (pmckeys-sim's),
// @ZSH_SIM_ARGUMENTS@ (zsh), @MAN_KEYS@ @MAN_COMPOUNDS@ @MAN_OPTIONS@
// @MAN_SESSION@ @MAN_SIM_OPTIONS@ (roff), @VERSION@, @DOC_DIR@,
// @JACK_LONGEST_MESSAGE@ (bytes).
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "commandmodel/CommandTable.h"
#include "commandmodel/Dad10.h"
#include "commandmodel/MenuMap.h"
#include "frontend/CommandLine.h"
#include "midi/RtMidiSystem.h"
#include "simulator/SimulatorOptions.h"
#include "ports/HardwarePort.h"

namespace {

// Collects the key names a compound command presses.
class NamingPort : public HardwarePort {
public:
  bool initSucceeded() const override { return true; }
  void send(int keyCode) override {
    if (keyCode != Dad10::RELEASE_KEY) keys += (keys.empty() ? "" : " ") + keyDisplayName(keyCode);
  }
  void sleepMs(int) const override {}
  std::string keys;
};

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

std::string tokens() {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < kKeyNameCount; ++i) words.emplace_back(kKeyNames[i].name);
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) words.emplace_back(kCompoundCommands[i].name);
  return joined(words);
}

// A key name as roff text: "-" typed as a minus sign, not a hyphen, so that
// what a reader copies from the page is what pmckeys takes.
std::string roffText(const std::string& text) {
  std::string roff;
  for (char c : text) roff += c == '-' ? std::string("\\-") : std::string(1, c);
  return roff;
}
std::string roffName(const std::string& name) { return "\\fB" + roffText(name) + "\\fR"; }

std::string manKeys() {
  std::map<int, std::string> names;
  for (std::size_t i = 0; i < kKeyNameCount; ++i) {
    std::string& line = names[kKeyNames[i].code];
    line += (line.empty() ? "" : ", ") + roffName(kKeyNames[i].name);
  }
  std::ostringstream roff;
  roff << ".PD 0\n";
  for (const auto& key : names) roff << ".TP 8\n0x" << std::hex << key.first << std::dec << "\n" << key.second << "\n";
  roff << ".PD\n";
  return roff.str();
}

std::string manCompounds() {
  NamingPort* port = new NamingPort();
  Dad10 dad10(port);
  std::ostringstream roff;
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
    port->keys.clear();
    dad10.pressKey(kCompoundCommands[i].name, false);
    roff << ".TP\n.B " << kCompoundCommands[i].name << "\n" << kCompoundCommands[i].expansion << "\n.br\n"
         << "presses: " << port->keys << "\n";
  }
  return roff.str();
}

std::string manForms(CommandForm::Kind kind) {
  std::ostringstream roff;
  for (const CommandForm& form : commandForms().all()) {
    if (form.kind != kind) continue;
    std::string summary = form.summary;
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    roff << ".TP\n.B " << roffText(form.synopsis) << "\n" << roffText(summary) << ".\n";
  }
  return roff.str();
}

std::string simOptions() {
  std::vector<std::string> words;
  for (const SimulatorOption& option : simulatorOptions()) {
    if (option.alias != nullptr) words.emplace_back(option.alias);
    words.emplace_back(option.name);
  }
  return joined(words);
}

std::string simFaults() {
  std::vector<std::string> words;
  for (const FaultName& fault : faultNames()) words.emplace_back(fault.name);
  return joined(words);
}

std::string capitalised(std::string text) {
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The options, each with its summary; --fault with the list of faults.
std::string manSimOptions() {
  std::ostringstream roff;
  for (const SimulatorOption& option : simulatorOptions()) {
    const std::string name = roffText(option.name), summary = option.summary;
    if (option.value != nullptr) {
      roff << ".TP\n.BI \"" << name << " \" " << lowered(option.value) << "\n";
    } else if (option.alias != nullptr) {
      roff << ".TP\n.BR " << roffText(option.alias) << " \", \" " << name << "\n";
    } else {
      roff << ".TP\n.B " << name << "\n";
    }
    roff << capitalised(roffText(summary)) << (summary.back() == ':' ? "\n" : ".\n");
    if (std::string(option.name) != "--fault") continue;
    roff << ".RS\n";
    for (const FaultName& fault : faultNames()) roff << ".TP 10\n.B " << fault.name << "\n" << fault.summary << ".\n";
    roff << ".RE\n";
  }
  return roff.str();
}

// The options that take a value, after which bash offers no option.
std::string simValueOptions() {
  std::vector<std::string> words;
  for (const SimulatorOption& option : simulatorOptions()) {
    if (option.value != nullptr) words.emplace_back(option.name);
  }
  return joined(words);
}

// zsh's _arguments specifications, quoted for the shell: a file for FILE,
// the faults for FAULT.
std::string zshSimArguments() {
  std::string specs;
  for (const SimulatorOption& option : simulatorOptions()) {
    std::string summary;
    for (const char c : std::string(option.summary)) summary += c == '\'' ? std::string("'\\''") : std::string(1, c);
    if (summary.back() == ':') summary.pop_back();
    std::string value;
    if (option.value != nullptr) {
      const std::string kind = option.value;
      value = ":" + lowered(kind) + (kind == "FILE" ? ":_files" : kind == "FAULT" ? ":(" + simFaults() + ")" : ":");
    }
    for (const char* name : {option.alias, option.name}) {
      if (name == nullptr) continue;
      if (!specs.empty()) specs += " \\\n";
      specs.append("    '").append(name).append("[").append(summary).append("]").append(value).append("'");
    }
  }
  return specs;
}

void replaceAll(std::string& text, const std::string& placeholder, const std::string& value) {
  for (std::size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pmckeys_tables TEMPLATE OUTPUT" << std::endl;
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "pmckeys_tables: cannot read <" << argv[1] << ">" << std::endl;
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string output = text.str();
  replaceAll(output, "@KEYWORDS@", joined(commandForms().words()));
  replaceAll(output, "@OPTIONS@", joined(commandForms().options()));
  replaceAll(output, "@TOKENS@", tokens());
  replaceAll(output, "@PLACES@", joined(MenuMap::places()));
  replaceAll(output, "@MAN_KEYS@", manKeys());
  replaceAll(output, "@MAN_COMPOUNDS@", manCompounds());
  replaceAll(output, "@MAN_OPTIONS@", manForms(CommandForm::OPTION));
  replaceAll(output, "@MAN_SESSION@", manForms(CommandForm::SESSION));
  replaceAll(output, "@SIM_OPTIONS@", simOptions());
  replaceAll(output, "@SIM_FAULTS@", simFaults());
  replaceAll(output, "@MAN_SIM_OPTIONS@", manSimOptions());
  replaceAll(output, "@SIM_VALUE_OPTIONS@", simValueOptions());
  replaceAll(output, "@ZSH_SIM_ARGUMENTS@", zshSimArguments());
  replaceAll(output, "@VERSION@", PMCKEYS_VERSION);
  replaceAll(output, "@DOC_DIR@", PMCKEYS_DOC_DIR);
  replaceAll(output, "@JACK_LONGEST_MESSAGE@", std::to_string(RtMidiSystem::JACK_LONGEST_MESSAGE));
  std::ofstream out(argv[2]);
  out << output;
  return out ? 0 : 1;
}
