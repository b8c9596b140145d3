#!/usr/bin/env bash
# valgrind memcheck over a representative run of each command form, without
# a board and against the simulated board. Fails on any invalid access or
# definitely lost memory (objects that live until the process ends are fine).
#   tests/memcheck.sh BUILD_DIR
set -uo pipefail
build=${1:?usage: tests/memcheck.sh BUILD_DIR}
pmckeys=$build/pmckeys
sim=$build/pmckeys-sim
vg=(valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite)
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
check "key sequence, no board" "${vg[@]}" "$pmckeys" r menu enter
check "pmcchannel, no board" "${vg[@]}" "$pmckeys" pmcchannel 3
check "calibratepedal without number" "${vg[@]}" "$pmckeys" calibratepedal
check "calibratepedal, no board" "${vg[@]}" "$pmckeys" calibratepedal 1
check "startcalibratepedal, bad pedal" "${vg[@]}" "$pmckeys" startcalibratepedal 7
unset PMCKEYS_DEVICE
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
