// pmckeys map as a user runs it: the committed picture's source is what it writes; every place once, in a tree; the
// bold route of each place is the keys its compound command presses; the marks are where the return check refuses
// (tests/expected/returns.txt) and where pmckeys-sim warns (tests/expected/map-marks.txt, taken from its traces);
// what is no place is refused; and Graphviz reads the graph without a word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "commandmodel/Dad10.h"
#include "commandmodel/MenuMap.h"
#include "commandmodel/MenuModel.h"
#include "tests/support/Process.h"

namespace {

using Words = std::vector<std::string>;

ProcessResult pmckeys(const Words& args) {
  ProcessOptions options;
  options.env["PMCKEYS_DEVICE"] = "/nonexistent/pmckeys-test-device";
  return runProcess(PMCKEYS_BINARY, args, options);
}

struct Edge {
  std::string other, key;  // the place at its other end, the key on it
};

struct Graph {
  std::multiset<std::string> nodes;
  std::map<std::string, std::vector<Edge>> into;  // by the place it leads to
  std::map<std::string, Edge> boldFrom;           // by the place it starts from
  std::size_t bold = 0;
  std::set<std::string> orange;
  std::set<std::string> red;  // as pmckeys-sim's trace has them: "!! NAME: warning"
};

Graph parse(const std::string& dot) {
  static const std::regex edge(R"re(^ *"([^"]+)" -> "([^"]+)" \[x?label="([^"]+)"(.*)$)re");
  static const std::regex node(R"re(^ *"([^"]+)" \[label="((?:[^"\\]|\\.)*)", style="[^"]*", color="([^"]+)")re");
  Graph graph;
  std::istringstream lines(dot);
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_search(line, m, edge)) {
      graph.into[m[2]].push_back({m[1], m[3]});
      if (m[4].str().find("style=bold") == std::string::npos) continue;
      graph.boldFrom[m[1]] = {m[2], m[3]};
      ++graph.bold;
    } else if (std::regex_search(line, m, node)) {
      graph.nodes.insert(m[1]);
      if (m[3] == "#ff8c00") graph.orange.insert(m[1]);
      const std::size_t warning = m[2].str().find("\\n!! ");
      if (warning == std::string::npos) continue;
      const std::string text = std::regex_replace(m[2].str().substr(warning + 5), std::regex(R"(\\n)"), " ");
      graph.red.insert("!! " + m[1].str() + ": " + text);
    }
  }
  return graph;
}

std::set<std::string> linesOf(const std::string& text, const std::regex& pattern) {
  std::set<std::string> found;
  std::istringstream lines(text);
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_search(line, m, pattern)) found.insert(m[m.size() - 1]);
  }
  return found;
}

TEST(MenuMap, DrawsTheModelRoutesEveryPlaceAndRefusesWhatIsNoPlace) {
  const std::string dot = readFile(PMCKEYS_SOURCE_DIR "/docs/menu-map.dot");
  const std::string usage = "pmckeys: usage: pmckeys map [PLACE]\n", unknown = "pmckeys: map: unknown place <";
  const struct { Words args; std::string out, err; int status; } runs[] = {
      {{"map"}, dot, "", 0},  // nothing on standard error: the serial line was never opened
      {{"map", "nosuch"}, "", unknown + "nosuch>\n" + usage, 1},
      {{"Map", "EndCalibratePedal1"}, "", unknown + "EndCalibratePedal1>\n" + usage, 1},  // a way back
      {{"map", "setupexprpedl1up"}, "", unknown + "setupexprpedl1up>\n" + usage, 1},      // an unnamed step
      {{"map", ""}, "", unknown + ">\n" + usage, 1},
      {{"map", "editbank", "enter"}, "", usage, 2},
  };
  for (const auto& run : runs) {
    const ProcessResult result = pmckeys(run.args);
    EXPECT_TRUE(result.out == run.out) << run.args.back() << ": the map differs from docs/menu-map.dot "
                                       << "(tools/menu-map.sh draws it again)";
    EXPECT_EQ(result.err, run.err);
    EXPECT_EQ(result.status, run.status) << run.args.back();
  }

  const Graph map = parse(dot);
  std::set<std::string> places = {MenuModel::PERFORMANCE_MODE};
  for (const std::string& place : MenuModel::placeNames()) places.insert(place);
  EXPECT_EQ(map.nodes, std::multiset<std::string>(places.begin(), places.end()));
  for (const std::string& place : places) {
    const std::vector<Edge>& into = map.into.count(place) != 0 ? map.into.at(place) : std::vector<Edge>();
    EXPECT_EQ(into.size(), place == MenuModel::PERFORMANCE_MODE ? 0u : 1u) << place;
    for (const Edge& edge : into) EXPECT_EQ(places.count(edge.other), 1u) << edge.other << " -> " << place;
  }
  EXPECT_EQ(map.into.size(), places.size() - 1);
  EXPECT_EQ(map.orange, linesOf(readTestFile("returns.txt"), std::regex("^r ([^ ]+): refused")));
  EXPECT_EQ(map.red, linesOf(readTestFile("map-marks.txt"), std::regex("^(.+)$")));
  EXPECT_EQ(map.bold, 0u);

  ASSERT_EQ(MenuMap::places().size(), 69u);
  for (std::string place : MenuMap::places()) {
    std::vector<int> keys;
    std::transform(place.begin(), place.end(), place.begin(), [](char c) { return std::tolower(c); });
    const Graph route = parse(pmckeys({"map", place}).out);
    std::string at = MenuModel::PERFORMANCE_MODE;
    for (; route.boldFrom.count(at) != 0 && keys.size() <= route.bold; at = route.boldFrom.at(at).other) {
      keys.push_back(Dad10::expand(route.boldFrom.at(at).key).codes.front());
    }
    EXPECT_EQ(keys, Dad10::expand(place).codes) << place;
    EXPECT_EQ(keys.size(), route.bold) << place;
  }

  if (runProcess("dot", {"-V"}).status == 127) GTEST_SKIP() << "Graphviz's dot is not installed: nothing to render";
  for (const std::string& graph : {dot, pmckeys({"map", "editbank"}).out}) {
    ProcessOptions options;
    options.input = graph.c_str();
    const ProcessResult svg = runProcess("dot", {"-Tsvg"}, options);
    EXPECT_EQ(svg.status, 0);
    EXPECT_EQ(svg.err, "");
    EXPECT_NE(svg.out.find("</svg>"), std::string::npos);
  }
}

}  // namespace
