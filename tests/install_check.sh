#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks the tree a user gets.
#   tests/install_check.sh BUILD_DIR
set -uo pipefail
build=${1:?usage: tests/install_check.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); }
bad() { echo "install: $*"; failed=$((failed + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null || bad "cmake --install failed"
for file in bin/pmckeys bin/pmckeys-sim share/man/man1/pmckeys.1 share/man/man1/pmckeys-sim.1 \
    share/bash-completion/completions/pmckeys share/bash-completion/completions/pmckeys-sim \
    share/zsh/site-functions/_pmckeys share/doc/pmckeys/README.md share/doc/pmckeys/reference.md share/doc/pmckeys/wiring.md share/doc/pmckeys/example-setup.txt \
    share/doc/pmckeys/menu-map.svg \
    share/doc/pmckeys/LICENSE share/doc/pmckeys/copyright lib/pmckeys/pmckeys-midi.so; do
  if [ -f "$prefix/$file" ]; then ok; else bad "missing $file"; fi
done
for program in pmckeys pmckeys-sim; do
  if [ -x "$prefix/bin/$program" ]; then ok; else bad "$program is not executable"; fi
done
version=$("$prefix/bin/pmckeys" --version 2>&1)
if [ "$version" = "pmckeys $(sed -n 's/^project(pmckeys VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")" ]; then
  ok
else
  bad "installed pmckeys --version said <$version>"
fi
# The installed pmckeys finds its MIDI module (and then finds no ALSA sequencer here).
midi=$(PMCKEYS_MIDI_API=alsa "$prefix/bin/pmckeys" --list-midi 2>&1)
if [[ $midi == "pmckeys: no MIDI system:"* || $midi == "in "* || $midi == "out "* ]]; then ok; else bad "installed pmckeys --list-midi said <$midi>"; fi
echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
