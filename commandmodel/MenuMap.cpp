#include "commandmodel/MenuMap.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "commandmodel/CommandTable.h"
#include "commandmodel/Dad10.h"
#include "commandmodel/MenuModel.h"
#include "commandmodel/ReturnCheck.h"

namespace {

struct Node {
  std::string from;        // the place the edge into this one starts from; "" for performance mode
  std::string key;         // the key on that edge
  std::vector<int> codes;  // the keys from performance mode
  std::string warning;     // what ENTER here does to the device's data, or ""
  bool refused = false;    // `r NAME` is refused
  bool step = false;       // an item's step, where keys edit a value
};

using Nodes = std::map<std::string, Node>;

const char* const kInk = "#000000";
const char* const kRed = "#c00000";
const char* const kRedFill = "#ffe6e6";
const char* const kOrange = "#ff8c00";
const char* const kPaper = "#ffffff";
const char* const kHome = "#e8e8e8";
const char* const kFaded = "40";  // the alpha of what is off the route
const std::size_t kLabelWidth = 24;

const std::string kLegend =
    "The PMC 10's menus as pmckeys knows them. Each arrow is the key that leads on to a place;\n"
    "under each name, the number of keys that reach it from performance mode.\n"
    "Red, !!: ENTER here starts an operation or stores a pedal's calibration, as pmckeys-sim marks it.\n"
    "Orange border: pmckeys refuses r PLACE (its way back would edit, store or confirm something).\n"
    "Dashed: a step inside an item, where keys edit a value.\n"
    "Left out: the ways back (PREV, ENTER on a list's exit item) and the wrap-arounds at the ends of a list.\n";

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), {}};
}

// Where the model stands after the node's keys: the marks are what
// pmckeys-sim would show there.
void mark(const std::string& name, bool named, Node& node) {
  MenuModel model;
  for (int code : node.codes) model.press(code);
  node.warning = model.enterWarning();
  node.step = model.onStep();
  node.refused = named && ReturnCheck::check(MenuModel(), {name}).refusal.has_value();
}

// A named place hangs from the entry its expansion starts from, by the one
// key the expansion adds.
Node namedNode(const CompoundCommand& command) {
  const std::string name = command.name;
  const std::vector<std::string> tokens = words(command.expansion);
  Node node;
  node.from = tokens.size() > 1 ? tokens.front() : MenuModel::PERFORMANCE_MODE;
  node.key = tokens.back();
  node.codes = Dad10::expand(name).codes;
  mark(name, true, node);
  return node;
}

// A step that no compound command names follows the step (or the item)
// before it, by ENTER.
void addUnnamedSteps(const MenuList& list, Nodes& nodes) {
  for (const MenuItem& item : list.items) {
    if (item.list != nullptr) addUnnamedSteps(*item.list, nodes);
    std::string before = item.name;
    for (const char* step : item.steps) {
      if (nodes.count(step) == 0) {
        Node& node = nodes[step];
        node.from = before;
        node.key = keyDisplayName(KeyCode::ENTER);
        node.codes = nodes.at(before).codes;
        node.codes.push_back(KeyCode::ENTER);
        mark(step, false, node);
      }
      before = step;
    }
  }
}

Nodes buildNodes() {
  const std::vector<std::string> named = MenuMap::places();
  const std::set<std::string> places(named.begin(), named.end());
  Nodes nodes;
  nodes[MenuModel::PERFORMANCE_MODE] = Node();
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
    const CompoundCommand& command = kCompoundCommands[i];
    if (places.count(command.name) != 0) nodes[command.name] = namedNode(command);
  }
  addUnnamedSteps(MenuModel::topLevel(), nodes);
  return nodes;
}

// A DOT string; each line break becomes lineEnd (\n centres the line
// before it, \l sets it flush left).
std::string quoted(const std::string& text, const char* lineEnd = "\\n") {
  std::string dot = "\"";
  for (char c : text) {
    dot += c == '\n' ? std::string(lineEnd) : c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
  }
  return dot + "\"";
}

// Lines of at most kLabelWidth characters where the words allow, centred.
std::string wrapped(const std::string& text) {
  std::string label, line;
  for (const std::string& word : words(text)) {
    if (!line.empty() && line.size() + 1 + word.size() > kLabelWidth) {
      label += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return label + line;
}

std::string shade(const char* rgb, bool faded) { return quoted(rgb + std::string(faded ? kFaded : "")); }

std::string label(const std::string& name, const Node& node) {
  const std::size_t keys = node.codes.size();
  std::string text = name + "\n" + std::to_string(keys) + (keys == 1 ? " key" : " keys");
  if (!node.warning.empty()) text += "\n" + wrapped("!! " + node.warning);
  return quoted(text);
}

class Writer {
public:
  Writer(std::ostream& out, const std::string& route)
      : fOut(out), fNodes(buildNodes()), fTarget(route), fFaded(!route.empty()) {
    for (std::string at = route; !at.empty(); at = fNodes.at(at).from) fRoute.insert(at);
  }

  void write() {
    fOut << "digraph \"PMC 10 menus\" {\n"
         << "  graph [rankdir=LR, nodesep=0.18, ranksep=0.25, fontname=\"Helvetica\", fontsize=12, "
            "labelloc=t, labeljust=l, label="
         << quoted(kLegend + (fFaded ? "Bold: the keys from performance mode to " + fTarget + ".\n" : ""), "\\l")
         << "];\n"
         << "  node [shape=box, fontname=\"Helvetica\", fontsize=11, margin=\"0.1,0.05\"];\n"
         << "  edge [fontname=\"Helvetica\", fontsize=10, arrowsize=0.6];\n";
    node(MenuModel::PERFORMANCE_MODE, "  ");
    list(MenuModel::topLevel(), "  ");
    for (const std::string& place : MenuModel::placeNames()) edge(place);
    fOut << "}\n";
  }

private:
  void node(const std::string& name, const std::string& indent) {
    const Node& node = fNodes.at(name);
    const bool red = !node.warning.empty(), onRoute = fRoute.count(name) != 0;
    const char* border = node.refused ? kOrange : red ? kRed : kInk;
    const char* fill = red ? kRedFill : name == MenuModel::PERFORMANCE_MODE ? kHome : kPaper;
    const bool faded = fFaded && !onRoute;
    fOut << indent << quoted(name) << " [label=" << label(name, node) << ", style=\"rounded,filled"
         << (node.step ? ",dashed" : "") << "\", color=" << shade(border, faded) << ", fillcolor=" << shade(fill, faded)
         << ", fontcolor=" << shade(red ? kRed : kInk, faded)
         << ", penwidth=" << (node.refused ? 3 : 1) + (onRoute ? 2 : 0) << "];\n";
  }

  // A list is a cluster: its items in one column, each item's steps in a
  // column after it, and the lists its items open inside it.
  void list(const MenuList& list, const std::string& indent) {
    const std::string inner = indent + "  ";
    fOut << indent << "subgraph " << quoted(std::string("cluster_") + list.name) << " {\n"
         << inner << "label=" << quoted(list.name) << "; color=\"#9090a0\"; style=rounded;\n";
    std::vector<std::string> items;
    for (const MenuItem& item : list.items) {
      node(item.name, inner);
      for (const char* step : item.steps) node(step, inner);
      column({item.steps.begin(), item.steps.end()}, inner);
      if (item.list != nullptr) this->list(*item.list, inner);
      items.emplace_back(item.name);
    }
    column(items, inner);
    fOut << indent << "}\n";
  }

  // Places one below the other: the edges between them are drawn, but do
  // not move them a column on.
  void column(const std::vector<std::string>& names, const std::string& indent) {
    if (names.size() < 2) return;
    fOut << indent << "{rank=same;";
    for (const std::string& name : names) fOut << " " << quoted(name) << ";";
    fOut << "}\n";
    fFlat.insert(names.begin() + 1, names.end());
  }

  void edge(const std::string& name) {
    const Node& node = fNodes.at(name);
    // Down a column the edge would run through its label: the label stands beside it.
    const bool flat = fFlat.count(name) != 0;
    fOut << "  " << quoted(node.from) << " -> " << quoted(name) << (flat ? " [xlabel=" : " [label=")
         << quoted(node.key);
    if (flat) fOut << ", constraint=false";
    if (fRoute.count(name) != 0) {
      fOut << ", style=bold, penwidth=3";
    } else if (fFaded) {
      fOut << ", color=" << shade(kInk, true) << ", fontcolor=" << shade(kInk, true);
    }
    fOut << "];\n";
  }

  std::ostream& fOut;
  const Nodes fNodes;
  const std::string fTarget;  // the end of the route, or ""
  const bool fFaded;          // everything off the route is faded
  std::set<std::string> fRoute;
  std::set<std::string> fFlat;  // the places whose edge runs down a column
};

}  // namespace

std::vector<std::string> MenuMap::places() {
  const std::vector<std::string> model = MenuModel::placeNames();
  std::vector<std::string> names;
  for (std::size_t i = 0; i < kCompoundCommandCount; ++i) {
    if (std::find(model.begin(), model.end(), kCompoundCommands[i].name) != model.end()) {
      names.emplace_back(kCompoundCommands[i].name);
    }
  }
  return names;
}

bool MenuMap::isPlace(const std::string& name) {
  const std::vector<std::string> names = places();
  return std::find(names.begin(), names.end(), name) != names.end();
}

void MenuMap::write(std::ostream& out, const std::string& route) { Writer(out, route).write(); }
