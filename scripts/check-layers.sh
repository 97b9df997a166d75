#!/usr/bin/env bash
# Fails when a folder includes a header of a folder above it, or when includes go round in a
# circle: scripts/check-layers.sh
# Each folder may include its own headers and those of the layers below it:
#   core < platform, maths, tools, upctv, spell < engines < export < speech, book < windows < app
#   < sonnerixawav, tolvanet-tool
# Inside app the same holds for its folders:
#   benchmark, captions, documents, find, menus < window < typing < reading < spelling, view, export
#   < shell < main.cpp
# Tests, benchmarks and fuzz targets sit above everything and are not checked.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A layer=([core]=0 [platform]=1 [maths]=1 [tools]=1 [upctv]=1 [spell]=1 [engines]=2 [export]=3 [speech]=4 [book]=4 [windows]=5 [app]=6
                  [sonnerixawav]=7 [tolvanet-tool]=7)
declare -A applayer=([app/benchmark]=0 [app/captions]=0 [app/documents]=0 [app/find]=0 [app/menus]=0 [app/window]=1
                     [app/typing]=2 [app/reading]=3 [app/spelling]=4 [app/view]=4 [app/export]=4 [app/shell]=5 [app]=6)

# The quoted includes that name a folder: "file:line:include".
includes_in() {
  grep -rnE --include='*.h' --include='*.cpp' --include='*.c' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/' "$@" || true
}

status=0
for folder in "${!layer[@]}"; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file line include; do
    target="${include#*\"}"
    target="${target%%/*}"
    [ "$target" = "$folder" ] && continue
    # Headers of the system or of the folder itself carry no folder of ours.
    [ -n "${layer[$target]+set}" ] || continue
    if (( layer[$target] >= layer[$folder] )); then
      echo "$file:$line: $folder includes $target, which is not below it:$include" >&2
      status=1
    fi
  done < <(includes_in "$folder")
done

# The window program's own folders; a file right in app/ is its entry point.
while IFS=: read -r file line include; do
  target="${include#*\"}"
  [[ "$target" == app/* ]] || continue
  from="$(dirname "$file")"
  to="$(dirname "$target")"
  [ "$from" = "$to" ] && continue
  if [ -z "${applayer[$from]+set}" ] || [ -z "${applayer[$to]+set}" ]; then
    echo "$file:$line: app/ has a folder the layer check does not know:$include" >&2
    status=1
  elif (( applayer[$to] >= applayer[$from] )); then
    echo "$file:$line: $from includes $to, which is not below it:$include" >&2
    status=1
  fi
done < <(includes_in app)

# No circle between units: a unit is a header with its sources (Name.h, Name.cpp and
# NameMore.cpp are one unit when Name.h exists beside them).
declare -A unit=()
unit_of() {
  local path="${1%.*}"
  if [ -z "${unit[$path]+set}" ]; then
    local folder="${path%/*}" candidate="${path##*/}"
    unit[$path]="$path"
    while [ -n "$candidate" ]; do
      if [ -e "$folder/$candidate.h" ]; then
        unit[$path]="$folder/$candidate"
        break
      fi
      [[ "$candidate" =~ ^(.*)[A-Z][a-z0-9]*$ ]] || break
      candidate="${BASH_REMATCH[1]}"
    done
  fi
  found="${unit[$path]}"
}
pairs="$(mktemp)"
trap 'rm -f "$pairs"' EXIT
while IFS=: read -r file line include; do
  target="${include#*\"}"
  target="${target%\"*}"
  [ -e "$target" ] || continue
  unit_of "$file"
  from="$found"
  unit_of "$target"
  to="$found"
  [ "$from" = "$to" ] || echo "$to $from"
done < <(includes_in core platform maths tools upctv spell engines export speech windows app sonnerixawav tolvanet-tool) >"$pairs"
if ! tsort "$pairs" >/dev/null 2>"$pairs.loop"; then
  echo "Includes go round in a circle:" >&2
  grep -v 'input contains a loop' "$pairs.loop" | sed 's/^tsort: /  /' >&2
  status=1
fi
rm -f "$pairs.loop"

if (( status == 0 )); then
  echo "Every include points down the layers, and none goes round in a circle."
fi
exit $status
