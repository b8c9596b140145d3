#!/usr/bin/env bash
# Runs the fault list (faults.txt): for each fault, applies it to a scratch
# copy of the source tree, rebuilds, runs the whole test suite and records
# whether the suite catches it. The source tree itself is only read.
#   tests/mutants/run.sh [OPTIONS] [ID-PATTERN...]     (see README.md)
set -uo pipefail
shopt -u patsub_replacement 2>/dev/null  # '&' in a replacement text stays '&'
export LC_ALL=C                          # lengths and matches in bytes

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
list=$here/faults.txt
jobs=2 timeout=60 keep=0 fast=0 mode=run baseline=1 scratch=""
patterns=()

usage() {
  cat <<EOF
usage: tests/mutants/run.sh [OPTIONS] [ID-PATTERN...]
  ID-PATTERN      run only the faults whose id matches (shell glob, e.g. 'as-*')
  --list          print the faults and exit
  --check         only check that every fault's text is found in the tree, and that
                  README.md's known misses are the entries with a missed: line (no build)
  --show          print each fault as a diff against the tree (no build)
  --scratch DIR   build in DIR and keep it (reused by a later run: only changed files rebuild)
  --keep          keep the temporary scratch directory and its logs
  --fast          stop the suite at the first failing test (names fewer catching tests)
  --no-baseline   skip the run of the unchanged tree
  --jobs N        build and test jobs (default 2)
  --timeout S     per-test timeout of tests without their own (default 60)
EOF
}

while [ $# -gt 0 ]; do
  case $1 in
    --list) mode=list ;;
    --check) mode=check ;;
    --show) mode=show ;;
    --scratch) scratch=${2:?--scratch needs a directory}; keep=1; shift ;;
    --keep) keep=1 ;;
    --fast) fast=1 ;;
    --no-baseline) baseline=0 ;;
    --jobs) jobs=${2:?--jobs needs a number}; shift ;;
    --timeout) timeout=${2:?--timeout needs seconds}; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "run.sh: unknown option <$1>" >&2; usage >&2; exit 2 ;;
    *) patterns+=("$1") ;;
  esac
  shift
done

# ---- the fault list ------------------------------------------------------
# Entries start with "[id]"; "key: value" lines follow; a line starting with
# "+" continues the value above on a new line. Blank lines and "#" lines are
# ignored.
declare -a ids=()
declare -A field=()
parse_list() {
  local n=-1 key="" line number=0
  while IFS= read -r line || [ -n "$line" ]; do
    number=$((number + 1))
    case $line in
      '' | '#'*) continue ;;
      '['*']')
        n=$((n + 1)); key=""
        ids[n]=${line:1:${#line}-2} ;;
      '+'*)
        [ -n "$key" ] || { echo "faults.txt:$number: continuation without a value" >&2; exit 2; }
        field[$n.$key]+=$'\n'${line:1} ;;
      *:*)
        key=${line%%:*}
        case $key in file | what | from | to | missed) ;; *)
          echo "faults.txt:$number: unknown key <$key>" >&2; exit 2 ;;
        esac
        [ "$n" -ge 0 ] || { echo "faults.txt:$number: <$key> before the first [id]" >&2; exit 2; }
        local value=${line#*:}
        field[$n.$key]=${value# } ;;
      *) echo "faults.txt:$number: cannot read <$line>" >&2; exit 2 ;;
    esac
  done <"$list"
  local i
  for i in "${!ids[@]}"; do
    for key in file what from; do
      [ -n "${field[$i.$key]:-}" ] || { echo "faults.txt: [${ids[i]}] has no $key" >&2; exit 2; }
    done
  done
}

selected() {
  [ ${#patterns[@]} -eq 0 ] && return 0
  local pattern
  for pattern in "${patterns[@]}"; do
    # shellcheck disable=SC2053  # the pattern is a glob on purpose
    [[ $1 == $pattern ]] && return 0
  done
  return 1
}

# How often the text occurs in the file (-1: no such file).
occurrences() {
  local path=$1 from=$2 content rest
  [ -f "$path" ] || { echo -1; return; }
  content=$(cat "$path"; printf x)
  content=${content%x}
  rest=${content//"$from"/}
  echo $(((${#content} - ${#rest}) / ${#from}))
}

# Why the fault cannot be applied to the tree below $1, or nothing.
inapplicable() {
  local tree=$1 i=$2 count
  count=$(occurrences "$tree/${field[$i.file]}" "${field[$i.from]}")
  case $count in
    1) ;;
    -1) echo "no file ${field[$i.file]}" ;;
    0) echo "text not found in ${field[$i.file]}" ;;
    *) echo "text found $count times in ${field[$i.file]}" ;;
  esac
}

apply_fault() {
  local path=$1/${field[$2.file]} content
  content=$(cat "$path"; printf x)
  content=${content%x}
  printf '%s' "${content/"${field[$2.from]}"/"${field[$2.to]:-}"}" >"$path"
}

parse_list
count=0
for i in "${!ids[@]}"; do selected "${ids[i]}" && count=$((count + 1)); done
[ "$count" -gt 0 ] || { echo "run.sh: no fault matches ${patterns[*]}" >&2; exit 2; }

if [ "$mode" = list ]; then
  for i in "${!ids[@]}"; do
    selected "${ids[i]}" || continue
    printf '%-28s %-36s %s\n' "${ids[i]}" "${field[$i.file]}" "${field[$i.what]:-}"
  done
  exit 0
fi

# The ids README.md lists under "Known misses", and the ids whose entries
# carry a missed: line, one a line and sorted.
# shellcheck disable=SC2016  # the backquotes are the text looked for
documented_misses() { sed -n '/^## Known misses/,/^## /s/^- `\([^`]*\)`.*/\1/p' "$here/README.md" | sort; }
listed_misses() {
  local i
  for i in "${!ids[@]}"; do [ -n "${field[$i.missed]:-}" ] && echo "${ids[i]}"; done | sort
}

if [ "$mode" = check ]; then
  bad=0 differ=0
  while IFS= read -r id; do
    echo "README.md lists $id as a known miss, but faults.txt gives it no missed: line"
    differ=$((differ + 1))
  done < <(comm -23 <(documented_misses) <(listed_misses))
  while IFS= read -r id; do
    echo "faults.txt gives $id a missed: line, but README.md does not list it as a known miss"
    differ=$((differ + 1))
  done < <(comm -13 <(documented_misses) <(listed_misses))
  for i in "${!ids[@]}"; do
    selected "${ids[i]}" || continue
    why=$(inapplicable "$root" "$i")
    [ -z "$why" ] && continue
    printf '%-28s N/A  %s\n' "${ids[i]}" "$why"
    bad=$((bad + 1))
  done
  echo "check: $bad of the selected faults not applicable, $differ known misses not as README.md lists them"
  [ "$bad" -eq 0 ] && [ "$differ" -eq 0 ]
  exit
fi

if [ "$mode" = show ]; then
  copy=$(mktemp -d)
  trap 'rm -rf "$copy"' EXIT
  for i in "${!ids[@]}"; do
    selected "${ids[i]}" || continue
    echo "[${ids[i]}] ${field[$i.what]:-}"
    why=$(inapplicable "$root" "$i")
    if [ -n "$why" ]; then echo "  N/A: $why"; continue; fi
    mkdir -p "$copy/$(dirname "${field[$i.file]}")"
    cp "$root/${field[$i.file]}" "$copy/${field[$i.file]}"
    apply_fault "$copy" "$i"
    diff -u --label "a/${field[$i.file]}" --label "b/${field[$i.file]}" \
      "$root/${field[$i.file]}" "$copy/${field[$i.file]}"
  done
  exit 0
fi

# ---- the scratch tree ----------------------------------------------------
if [ -z "$scratch" ]; then
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/pmckeys-mutants.XXXXXX")
fi
mkdir -p "$scratch/src" "$scratch/logs"
scratch=$(cd "$scratch" && pwd)
src=$scratch/src
build=$src/build/dev
logs=$scratch/logs
current=""  # the index of the fault applied right now

revert() {
  [ -n "$current" ] || return 0
  # A plain copy: the file gets a new time, so the next build compiles the
  # original again.
  cp "$scratch/original" "$src/${field[$current.file]}"
  current=""
}

finish() {
  revert
  if [ "$keep" -eq 1 ]; then echo "scratch tree and logs kept in $scratch"; else rm -rf "$scratch"; fi
}
trap finish EXIT
trap 'exit 130' INT TERM

# Copies the files git knows (tracked, or new and not ignored) from the tree;
# a file is rewritten only when its content differs, so a reused scratch
# tree rebuilds only what changed.
sync_tree() {
  local file
  (cd "$root" && git ls-files -z --cached --others --exclude-standard) |
    while IFS= read -r -d '' file; do
      [ -f "$root/$file" ] || continue
      cmp -s "$root/$file" "$src/$file" && continue
      mkdir -p "$src/$(dirname "$file")"
      cp "$root/$file" "$src/$file"
    done
}

build_tree() { cmake --build "$build" -j "$jobs" >"$1" 2>&1; }

# The tests a ctest log lists as failed.
failed_tests() {
  sed -n '/^The following tests FAILED:/,$s/^[[:space:]]*[0-9][0-9]* - \(.*\) ([^)]*)$/\1/p' "$1"
}

# Runs the suite once; sets failed to the tests that failed, one name a
# line. A test that fails only now and then is a fault of its own, not a
# reason to run it again.
run_suite() {
  local stop=() status
  [ "$fast" -eq 1 ] && stop=(--stop-on-failure)
  ctest --test-dir "$build" -j "$jobs" --timeout "$timeout" --output-on-failure "${stop[@]}" >"$1" 2>&1
  status=$?
  failed=$(failed_tests "$1")
  if [ -z "$failed" ] && [ "$status" -ne 0 ]; then failed="(ctest failed: see $1)"; fi
}

started=$(date +%s)
echo "scratch tree: $scratch"
sync_tree
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  (cd "$src" && cmake --preset dev) >"$logs/configure.log" 2>&1 ||
    { echo "configuring the scratch tree failed: see $logs/configure.log" >&2; keep=1; exit 3; }
fi
if ! build_tree "$logs/baseline.build.log"; then
  echo "the unchanged tree does not build: see $logs/baseline.build.log" >&2; keep=1; exit 3
fi
if [ "$baseline" -eq 1 ]; then
  run_suite "$logs/baseline.test.log"
  if [ -n "$failed" ]; then
    echo "the suite fails on the unchanged tree, so no fault can be judged:" >&2
    while IFS= read -r name; do echo "  $name"; done <<<"$failed" >&2
    keep=1
    exit 3
  fi
  echo "baseline: the suite passes on the unchanged tree ($(($(date +%s) - started)) s so far)"
fi

declare -a results=()
caught=0 missed=0 known=0 broken=0 na=0 unexpected=0
for i in "${!ids[@]}"; do
  id=${ids[i]}
  selected "$id" || continue
  t0=$(date +%s)
  why=$(inapplicable "$src" "$i")
  if [ -n "$why" ]; then
    status=N/A detail=$why
  else
    cp "$src/${field[$i.file]}" "$scratch/original"
    current=$i
    apply_fault "$src" "$i"
    if ! build_tree "$logs/$id.build.log"; then
      status=BUILD-BROKEN
      detail=$(grep -m1 -E 'error|Error' "$logs/$id.build.log" | cut -c1-100)
    else
      run_suite "$logs/$id.test.log"
      if [ -n "$failed" ]; then
        status=CAUGHT
        detail="$(echo "$failed" | wc -l) failed: $(echo "$failed" | head -3 | paste -sd' ' -)"
      elif [ -n "${field[$i.missed]:-}" ]; then
        status="MISSED(known)" detail=${field[$i.missed]}
      else
        status=MISSED detail=${field[$i.what]:-}
      fi
    fi
    revert
  fi
  case $status in
    CAUGHT) caught=$((caught + 1)) ;;
    MISSED*) missed=$((missed + 1)) ;;
    BUILD-BROKEN) broken=$((broken + 1)) ;;
    N/A) na=$((na + 1)) ;;
  esac
  case $status in CAUGHT | "MISSED(known)") ;; *) unexpected=$((unexpected + 1)) ;; esac
  [ "$status" = "MISSED(known)" ] && known=$((known + 1))
  line=$(printf '%-28s %-13s %4ss  %s' "$id" "$status" "$(($(date +%s) - t0))" "$detail")
  echo "$line"
  results+=("$line")
done

echo
echo "== results ($(date -u +%Y-%m-%dT%H:%MZ), $(cd "$root" && git rev-parse --short HEAD 2>/dev/null))"
printf '%-28s %-13s %5s  %s\n' FAULT STATUS TIME DETAIL
printf '%s\n' "${results[@]}"
echo
echo "caught $caught, missed $missed (known $known), build-broken $broken, n/a $na;" \
  "wall time $(($(date +%s) - started)) s"
[ "$unexpected" -eq 0 ]
