// The shell completions: their word lists are the tool's own tables, they offer words in the letter case the user
// started with, and completing never runs pmckeys (which would open the serial line).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "commandmodel/CommandTable.h"
#include "commandmodel/MenuMap.h"
#include "frontend/CommandLine.h"
#include "tests/support/Process.h"

namespace {

const std::string kBash = std::string(PMCKEYS_SHARE_DIR) + "/pmckeys";
const std::string kZsh = std::string(PMCKEYS_SHARE_DIR) + "/_pmckeys";

using Words = std::vector<std::string>;

// The words of `name="..."` in a completion script, sorted.
std::set<std::string> wordsOf(const std::string& script, const std::string& name) {
  const std::size_t begin = script.find(name + "=\"") + name.size() + 2;
  std::istringstream words(script.substr(begin, script.find('"', begin) - begin));
  return {std::istream_iterator<std::string>(words), {}};
}

// COMPREPLY of the bash completion for a command line, sorted.
Words complete(const Words& words, const std::string& path = "") {
  std::string array;
  for (const std::string& word : words) array += " '" + word + "'";
  const std::string script = "source '" + kBash + "'; COMP_WORDS=(" + array + "); COMP_CWORD=" +
                             std::to_string(words.size() - 1) + "; _" +
                             (words[0] == "pmckeys" ? "pmckeys" : "pmckeys_sim") +
                             "; printf '%s\\n' \"${COMPREPLY[@]}\"";
  ProcessOptions options;
  if (!path.empty()) options.env["PATH"] = path;
  std::istringstream lines(runProcess("/bin/bash", {"-c", script}, options).out);
  Words reply{std::istream_iterator<std::string>(lines), {}};
  std::sort(reply.begin(), reply.end());
  return reply;
}

TEST(Completion, WordListsAreTheToolsTables) {
  std::set<std::string> tokens;
  for (std::size_t i = 0; i < kKeyNameCount; ++i) tokens.insert(kKeyNames[i].name);
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) tokens.insert(kCompoundCommands[i].name);
  const Words keywords = commandForms().words(), places = MenuMap::places();
  for (const std::string& script : {readFile(kBash), readFile(kZsh)}) {
    EXPECT_EQ(wordsOf(script, "tokens"), tokens);
    EXPECT_EQ(wordsOf(script, "places"), std::set<std::string>(places.begin(), places.end()));
    EXPECT_EQ(wordsOf(script, "keywords"), std::set<std::string>(keywords.begin(), keywords.end()));
  }
  EXPECT_EQ(complete({"pmckeys", ""}).size(), keywords.size() + tokens.size());
}

TEST(Completion, OffersWordsInTheCaseTheUserStartedWith) {
  EXPECT_EQ(complete({"pmckeys", "editb"}), (Words{"editbank", "editbankname", "editbanknr"}));
  EXPECT_EQ(complete({"pmckeys", "EditB"}), (Words{"EDITBANK", "EDITBANKNAME", "EDITBANKNR"}));
  EXPECT_EQ(complete({"pmckeys", "ca"}), (Words{"cable", "calibratepedal"}));
  EXPECT_EQ(complete({"pmckeys", "menu", "ca"}), Words{});  // keywords only come first
  EXPECT_EQ(complete({"pmckeys", "r", "n-o"}), (Words{"n-off", "n-on"}));
  EXPECT_EQ(complete({"pmckeys", "PMCchannel", "1"}), (Words{"1", "10", "11", "12", "13", "14", "15", "16"}));
  EXPECT_EQ(complete({"pmckeys", "calibratepedal", ""}), (Words{"1", "2"}));
  EXPECT_EQ(complete({"pmckeys", "Map", "pr"}), Words{"pressenterreset"});  // a place, not PREV
  EXPECT_EQ(complete({"pmckeys", "map", "endc"}), Words{});                  // a way back is no place
  EXPECT_EQ(complete({"pmckeys", "map", "editbank", "e"}), Words{});
  EXPECT_EQ(complete({"pmckeys", "--l"}), (Words{"--list-midi", "--list-ports"}));
  EXPECT_EQ(complete({"pmckeys", "Restore", std::string(PMCKEYS_SHARE_DIR) + "/_pm"}), Words{kZsh});
  EXPECT_EQ(complete({"pmckeys", "restore", "x.syx", "--n"}), Words{"--no-verify"});
  EXPECT_EQ(complete({"pmckeys", "verify", "x.syx", "--n"}), Words{});
  EXPECT_EQ(complete({"pmckeys", "--script", "/etc/hostn"}), Words{"/etc/hostname"});
  EXPECT_EQ(complete({"pmckeys-sim", "--fault", "s"}), (Words{"silent", "slowdump"}));
  EXPECT_EQ(complete({"pmckeys-sim", "--dump-size", ""}), Words{});  // a number follows
  EXPECT_EQ(complete({"pmckeys-sim", "--", "pmckeys", "rd", "exitedit"}),
            (Words{"exiteditbank", "exiteditmenu", "exiteditpatch", "exiteditset"}));
}

TEST(Completion, NeverRunsPmckeys) {
  const ScratchFolder folder;
  const std::string spy = folder.path + "/pmckeys", marker = folder.path + "/ran";
  std::ofstream(spy) << "#!/bin/sh\ntouch '" << marker << "'\n";
  chmod(spy.c_str(), 0755);
  complete({"pmckeys", "m"}, folder.path + ":/usr/bin:/bin");
  complete({"pmckeys", "r", "edit"}, folder.path + ":/usr/bin:/bin");
  EXPECT_NE(access(marker.c_str(), F_OK), 0) << "completing ran pmckeys";
}

}  // namespace
