#!/usr/bin/env bash
# Draws the picture of the menus in the documents again, after the menu model
# or the compound commands changed: writes docs/menu-map.dot with a built
# pmckeys, then renders docs/menu-map.svg from it with Graphviz's dot. The
# test MenuMap.* fails until the committed .dot is what pmckeys writes.
#   tools/menu-map.sh [PMCKEYS]   (default build/ci/pmckeys)
set -euo pipefail
cd "$(dirname "$0")/.."
pmckeys=${1:-build/ci/pmckeys}
command -v dot >/dev/null || { echo "menu-map: Graphviz's dot is not installed (Debian: graphviz)" >&2; exit 1; }
"$pmckeys" map >docs/menu-map.dot.new
mv docs/menu-map.dot.new docs/menu-map.dot
dot -Tsvg docs/menu-map.dot >docs/menu-map.svg.new
mv docs/menu-map.svg.new docs/menu-map.svg
echo "menu-map: wrote docs/menu-map.dot and docs/menu-map.svg"
