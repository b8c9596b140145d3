#!/usr/bin/env bash
# Builds the Debian package of a build and checks what it carries and that
# it unpacks into a scratch root with a working pmckeys.
#   tests/package_check.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: tests/package_check.sh BUILD_DIR}" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); }
bad() { echo "package: $*"; failed=$((failed + 1)); }

(cd "$build" && cpack -G DEB >/dev/null) || bad "cpack -G DEB failed"
deb=$(ls -t "$build"/pmckeys_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { bad "no package was made"; echo "package: $passed passed, $failed failed"; exit 1; }
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/pmckeys ./usr/bin/pmckeys-sim ./usr/share/man/man1/pmckeys.1 \
    ./usr/share/man/man1/pmckeys-sim.1 ./usr/share/bash-completion/completions/pmckeys \
    ./usr/share/bash-completion/completions/pmckeys-sim ./usr/share/zsh/site-functions/_pmckeys \
    ./usr/share/doc/pmckeys/wiring.md ./usr/share/doc/pmckeys/menu-map.svg ./usr/share/doc/pmckeys/copyright; do
  if grep -q " $file\$" <<<"$contents"; then ok; else bad "$deb lacks $file"; fi
done
# The MIDI module goes to the library folder, which is a multiarch one under /usr on Debian.
if grep -qE " \./usr/lib/([^/]+/)?pmckeys/pmckeys-midi\.so\$" <<<"$contents"; then ok; else bad "$deb lacks the MIDI module"; fi
fields=$(dpkg-deb -f "$deb" Package Depends)
grep -q "^Package: pmckeys$" <<<"$fields" && ok || bad "wrong control fields"
dpkg -x "$deb" "$root" || bad "dpkg -x failed"
# Output is read whole: grep -q would leave pmckeys writing into a closed pipe.
version=$(PMCKEYS_DEVICE=/nonexistent "$root/usr/bin/pmckeys" --version)
if grep -q '^pmckeys [0-9]' <<<"$version"; then ok; else bad "unpacked pmckeys does not run"; fi
cable=$("$root/usr/bin/pmckeys" cable)
if grep -q 'How To Build the Cable' <<<"$cable"; then ok; else bad "unpacked pmckeys cable failed"; fi
midi=$(PMCKEYS_MIDI_API=alsa "$root/usr/bin/pmckeys" --list-midi 2>&1)
if [[ $midi == "pmckeys: no MIDI system:"* || $midi == "in "* || $midi == "out "* ]]; then ok; else bad "unpacked pmckeys --list-midi said <$midi>"; fi
docs=$(cd "$(dirname "$0")/../docs" && pwd)
"$root/usr/bin/pmckeys" map | cmp -s - "$docs/menu-map.dot" && ok || bad "unpacked pmckeys map differs from docs/menu-map.dot"
cmp -s "$root/usr/share/doc/pmckeys/menu-map.svg" "$docs/menu-map.svg" && ok || bad "the package's menu-map.svg is not docs/menu-map.svg"
map=$("$root/usr/bin/pmckeys" map editbank)
if [[ $map == 'digraph "PMC 10 menus" {'* ]]; then ok; else bad "unpacked pmckeys map editbank wrote no graph"; fi
if command -v dot >/dev/null; then
  dot -Tsvg <<<"$map" >/dev/null && ok || bad "dot -Tsvg refused the graph of unpacked pmckeys map editbank"
fi
grep -q 'librtmidi6' <<<"$fields" && ok || bad "the package does not depend on librtmidi6"
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
