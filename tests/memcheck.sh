#!/usr/bin/env bash
# valgrind memcheck over a representative run of each command form, without
# a board and against the simulated board. Fails on any invalid access or
# definitely lost memory (objects that live until the process ends are fine).
#   tests/memcheck.sh BUILD_DIR
set -uo pipefail
build=${1:?usage: tests/memcheck.sh BUILD_DIR}
pmckeys=$build/pmckeys
sim=$build/pmckeys-sim
vg=(valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite
    --suppressions="$(dirname "$0")/memcheck.supp")
failed=0 passed=0

check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  "$@" </dev/null >/dev/null 2>/tmp/pmckeys-memcheck.err
  if [ $? -eq 99 ] || grep -q '==[0-9]*==' /tmp/pmckeys-memcheck.err; then
    echo "memcheck: FAILED: $what"; cat /tmp/pmckeys-memcheck.err; failed=$((failed + 1))
  else
    echo "memcheck: clean: $what"; passed=$((passed + 1))
  fi
}

export PMCKEYS_DEVICE=/nonexistent/pmckeys-memcheck
check "usage" "${vg[@]}" "$pmckeys"
check "cable" "${vg[@]}" "$pmckeys" cable
check "commands, no board" "${vg[@]}" "$pmckeys" commands
check "map with a route" "${vg[@]}" "$pmckeys" map editbank
check "map, unknown place" "${vg[@]}" "$pmckeys" map nosuch
check "key sequence, no board" "${vg[@]}" "$pmckeys" r menu enter
check "pmcchannel, no board" "${vg[@]}" "$pmckeys" pmcchannel 3
check "calibratepedal without number" "${vg[@]}" "$pmckeys" calibratepedal
check "calibratepedal, no board" "${vg[@]}" "$pmckeys" calibratepedal 1
check "startcalibratepedal, bad pedal" "${vg[@]}" "$pmckeys" startcalibratepedal 7
printf '\xf0\x7d\x01\xf7' >/tmp/pmckeys-memcheck.syx
echo 'not a dump' >/tmp/pmckeys-memcheck.txt
PMCKEYS_MIDI_API=alsa check "--list-midi, no MIDI system" "${vg[@]}" "$pmckeys" --list-midi
PMCKEYS_MIDI_API=alsa check "backup, no MIDI system" "${vg[@]}" "$pmckeys" backup /tmp/pmckeys-memcheck-new.syx
check "restore, not a SysEx file" "${vg[@]}" "$pmckeys" restore /tmp/pmckeys-memcheck.txt
# The MIDI module on a JACK server of its own (no ports: both forms end with status 1).
export JACK_DEFAULT_SERVER=pmckeys-memcheck-$$ PMCKEYS_MIDI_API=jack
jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy >/dev/null 2>&1 &
jack=$!
for _ in $(seq 50); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
check "--list-midi on JACK" "${vg[@]}" "$pmckeys" --list-midi
check "restore on JACK, no output" "${vg[@]}" "$pmckeys" restore /tmp/pmckeys-memcheck.syx
saved=/tmp/pmckeys-memcheck-sim.syx
rm -f "$saved"
check "pmckeys-sim on JACK: backup, restore" "${vg[@]}" "$sim" --trace /dev/null -- \
  sh -c '"$1" backup "$2" && "$1" restore "$2"' sh "$pmckeys" "$saved"
check "backup through pmckeys-sim, a cut dump" "$sim" --trace /dev/null --fault cutdump -- \
  "${vg[@]}" "$pmckeys" backup "$saved.cut"
PMCKEYS_DUMP_WAIT_MS=1000 check "verify through pmckeys-sim, other MIDI among the dump" \
  "$sim" --trace /dev/null --fault chatterdump -- "${vg[@]}" "$pmckeys" verify "$saved"
rm -f "$saved"
kill "$jack"; wait "$jack"
unset PMCKEYS_DEVICE JACK_DEFAULT_SERVER PMCKEYS_MIDI_API
check "rd sequence with unknown token, board" "$sim" --trace /dev/null -- "${vg[@]}" "$pmckeys" rd editbank foo enter
check "pmcchannel, board" "$sim" --trace /dev/null -- "${vg[@]}" "$pmckeys" pmcchannel 16
check "calibratepedal, board" "$sim" --trace /dev/null -- "${vg[@]}" "$pmckeys" calibratepedal 2
check "startcalibratepedal, board" "$sim" --trace /dev/null -- "${vg[@]}" "$pmckeys" startcalibratepedal 1
check "script, board" "$sim" --trace /dev/null -- "${vg[@]}" "$pmckeys" --script "$(dirname "$0")/expected/script.txt"
check "console without a terminal" "${vg[@]}" "$pmckeys" --console
check "silent board" "$sim" --trace /dev/null --fault silent -- "${vg[@]}" "$pmckeys" menu
check "pmckeys-sim itself" "${vg[@]}" "$sim" --trace /dev/null -- "$pmckeys" r menu

echo "memcheck: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
