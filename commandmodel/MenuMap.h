// MenuMap: the device's menus drawn as a Graphviz graph (DOT), for
// `pmckeys map` and the picture in the documents. Stateless.
//
// Everything in it is read from the menu model, the compound command table
// and the return check, never from a list of its own: the places and the
// lists they stand in from the model; the edge into each named place from
// the compound command that names it (the entry its expansion starts from
// and the one key it adds); the model's unnamed steps after the step before
// them; the red mark where the model warns before ENTER, the orange border
// where the return check refuses `r NAME`, dashes where the model is on an
// item's step. The graph is a tree from performance mode: the ways back and
// the wrap-arounds at the ends of a list are left out, and its legend says so.
#ifndef PMCKEYS_COMMANDMODEL_MENUMAP_H
#define PMCKEYS_COMMANDMODEL_MENUMAP_H

#include <iosfwd>
#include <string>
#include <vector>

class MenuMap {
public:
  // The places a route can be drawn to: the compound commands that name a
  // place of the model, in table order (neither the fixed ways back nor the
  // model's unnamed steps).
  static std::vector<std::string> places();
  static bool isPlace(const std::string& name);

  // The graph; with a route (one of places(), in upper case) the way there
  // from performance mode is bold and every other place faded.
  static void write(std::ostream& out, const std::string& route = "");
};

#endif
