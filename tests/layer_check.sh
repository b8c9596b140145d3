#!/usr/bin/env bash
# Checks every #include between the folders of the tree against the table of
# layers in docs/architecture.md: a folder may include its own files, the
# folders its row names, and what the table of exceptions allows. Each
# include the table does not allow is printed as FILE:LINE; a folder with
# code that has no row in the table is an error too.
#   tests/layer_check.sh TABLE ROOT
set -uo pipefail
export LC_ALL=C

table=${1:?usage: layer_check.sh TABLE ROOT}
root=${2:?usage: layer_check.sh TABLE ROOT}

# The rows of one section's table, cells separated by "|", backquotes kept.
rows() {
  awk -v section="$1" '
    /^## / { inside = ($0 == "## " section); next }
    inside && /^\| `/ { print }' "$table"
}

# One line per folder: the folder, then the folders it may include ("any":
# every folder). Plain lines rather than an associative array, for the bash
# that macOS ships.
layers=$(rows Layers | while IFS='|' read -r _ folder _ may _; do
  echo "$(tr -d ' `' <<<"$folder") $(grep -o '`[^`]*`' <<<"$may" | tr -d '`' | xargs) $(grep -ow any <<<"$may")"
done)

# The folders DIR may include, or nothing when the table has no row for it.
allowedFor() { awk -v dir="$1" '$1 == dir { $1 = ""; print " " $0 " "; found = 1 } END { exit !found }' <<<"$layers"; }

exceptions=()
while IFS='|' read -r _ from to _; do
  exceptions+=("$(tr -d ' `' <<<"$from") $(tr -d ' `' <<<"$to")")
done < <(rows Exceptions)

if [ -z "$layers" ]; then
  echo "layer_check: no table of layers in <$table>" >&2
  exit 2
fi

# Whether FILE (relative to the root) may include TARGET by an exception.
excepted() {
  local entry from to
  for entry in "${exceptions[@]}"; do
    read -r from to <<<"$entry"
    [[ $from == "*" || $1 == "$from" || $1 == "$from"* && $from == */ ]] || continue
    [[ $2 == "$to" || $to == */ && $2 == "$to"* ]] && return 0
  done
  return 1
}

faults=0
cd "$root" || exit 2
for dir in */; do
  [[ $dir == build* ]] && continue
  files=$(find "$dir" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.ino' \) | sort)
  [ -z "$files" ] && continue
  if ! allowed=$(allowedFor "$dir"); then
    echo "$dir has code but no row in the table of layers ($table)"
    faults=$((faults + 1))
    continue
  fi
  [[ $allowed == *" any "* ]] && continue
  while IFS=: read -r file line target; do
    target=${target#*\"}
    target=${target%%\"*}
    targetDir=${target%%/*}/
    [[ $target != */* || $targetDir == "$dir" ]] && continue
    [[ $allowed == *" $targetDir "* ]] && continue
    excepted "$file" "$target" && continue
    may=$(xargs <<<"$allowed")
    echo "$file:$line: includes $target, but $dir may include only: ${may:-nothing from other folders}"
    faults=$((faults + 1))
  done < <(grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' $files)
done

if [ $faults -gt 0 ]; then
  echo "$faults include(s) or folder(s) against the table of layers in docs/architecture.md"
  exit 1
fi
echo "every include between folders is allowed by docs/architecture.md"
