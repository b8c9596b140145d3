// The shell completions: their word lists are the tool's own tables, they
// offer words in the letter case the user started with, and completing
// never runs pmckeys (which would open the serial line).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "commandmodel/CommandTable.h"
#include "frontend/CommandLine.h"
#include "tests/support/Process.h"

namespace {

const std::string kBash = std::string(PMCKEYS_SHARE_DIR) + "/pmckeys";
const std::string kZsh = std::string(PMCKEYS_SHARE_DIR) + "/_pmckeys";

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The words of `name="..."` in a completion script.
std::set<std::string> wordsOf(const std::string& script, const std::string& name) {
  const std::string start = name + "=\"";
  const std::size_t at = script.find(start);
  if (at == std::string::npos) return {};
  const std::size_t end = script.find('"', at + start.size());
  std::istringstream words(script.substr(at + start.size(), end - at - start.size()));
  std::set<std::string> set;
  for (std::string word; words >> word;) set.insert(word);
  return set;
}

std::set<std::string> tableTokens() {
  std::set<std::string> words;
  for (std::size_t i = 0; i < kKeyNameCount; ++i) words.insert(kKeyNames[i].name);
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) words.insert(kCompoundCommands[i].name);
  return words;
}

// COMPREPLY of the bash completion for a command line, sorted.
std::vector<std::string> complete(const std::vector<std::string>& words, const std::string& path = "") {
  std::string array;
  for (const std::string& word : words) array += " '" + word + "'";
  const std::string script = "source '" + kBash + "'; COMP_WORDS=(" + array + "); COMP_CWORD=" +
                             std::to_string(words.size() - 1) + "; _" +
                             (words[0] == "pmckeys" ? "pmckeys" : "pmckeys_sim") +
                             "; printf '%s\\n' \"${COMPREPLY[@]}\"";
  ProcessOptions options;
  if (!path.empty()) options.env["PATH"] = path;
  const ProcessResult result = runProcess("/bin/bash", {"-c", script}, options);
  std::vector<std::string> reply;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) reply.push_back(line);
  }
  std::sort(reply.begin(), reply.end());
  return reply;
}

TEST(Completion, WordListsAreTheToolsTables) {
  for (const std::string& script : {fileText(kBash), fileText(kZsh)}) {
    ASSERT_FALSE(script.empty());
    EXPECT_EQ(wordsOf(script, "tokens"), tableTokens());
    const std::vector<std::string> keywords = commandWords();
    EXPECT_EQ(wordsOf(script, "keywords"), std::set<std::string>(keywords.begin(), keywords.end()));
  }
  EXPECT_EQ(tableTokens().size(), 28u + 72u);
}

TEST(Completion, OffersWordsInTheCaseTheUserStartedWith) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(complete({"pmckeys", "editb"}), (Words{"editbank", "editbankname", "editbanknr"}));
  EXPECT_EQ(complete({"pmckeys", "EditB"}), (Words{"EDITBANK", "EDITBANKNAME", "EDITBANKNR"}));
  EXPECT_EQ(complete({"pmckeys", "ca"}), (Words{"cable", "calibratepedal"}));
  EXPECT_EQ(complete({"pmckeys", "menu", "ca"}), Words{});  // keywords only come first
  EXPECT_EQ(complete({"pmckeys", "r", "n-o"}), (Words{"n-off", "n-on"}));
  EXPECT_EQ(complete({"pmckeys", "PMCchannel", "1"}), (Words{"1", "10", "11", "12", "13", "14", "15", "16"}));
  EXPECT_EQ(complete({"pmckeys", "calibratepedal", ""}), (Words{"1", "2"}));
  EXPECT_EQ(complete({"pmckeys", "--l"}), (Words{"--list-midi", "--list-ports"}));
  EXPECT_EQ(complete({"pmckeys", "Restore", std::string(PMCKEYS_SHARE_DIR) + "/_pm"}), Words{kZsh});
  EXPECT_EQ(complete({"pmckeys", "--script", "/etc/hostn"}), Words{"/etc/hostname"});
  EXPECT_EQ(complete({"pmckeys-sim", "--fault", "s"}), Words{"silent"});
  EXPECT_EQ(complete({"pmckeys-sim", "--dump-size", ""}), Words{});  // a number follows
  EXPECT_EQ(complete({"pmckeys-sim", "--", "pmckeys", "rd", "exitedit"}),
            (Words{"exiteditbank", "exiteditmenu", "exiteditpatch", "exiteditset"}));
  EXPECT_EQ(complete({"pmckeys", ""}).size(), commandWords().size() + tableTokens().size());
}

TEST(Completion, NeverRunsPmckeys) {
  char folder[] = "/tmp/pmckeys-path-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string spy = std::string(folder) + "/pmckeys", marker = std::string(folder) + "/ran";
  std::ofstream(spy) << "#!/bin/sh\ntouch '" << marker << "'\n";
  chmod(spy.c_str(), 0755);
  complete({"pmckeys", "m"}, std::string(folder) + ":/usr/bin:/bin");
  complete({"pmckeys", "r", "edit"}, std::string(folder) + ":/usr/bin:/bin");
  EXPECT_NE(access(marker.c_str(), F_OK), 0) << "completing ran pmckeys";
  unlink(spy.c_str());
  rmdir(folder);
}

}  // namespace
