// The form `pmckeys map [PLACE]`: the menus as a Graphviz graph on standard
// output (commandmodel/MenuMap draws it), with PLACE's route bold. It checks
// its words before it writes anything and never opens the serial line.
#ifndef PMCKEYS_FRONTEND_MAPFORM_H
#define PMCKEYS_FRONTEND_MAPFORM_H

#include "session/CommandForms.h"

int runMap(const Words& words);

#endif
