#!/usr/bin/env bash
# Fails when a folder includes a header of a folder above it: scripts/check-layers.sh
# Each folder may include its own headers and those of the layers below it:
#   core < platform, maths, tools, upctv, spell < engines < export < speech < windows < app
#   < sonnerixawav, tolvanet-tool
# Tests, benchmarks and fuzz targets sit above everything and are not checked.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A layer=([core]=0 [platform]=1 [maths]=1 [tools]=1 [upctv]=1 [spell]=1 [engines]=2 [export]=3 [speech]=4 [windows]=5 [app]=6
                  [sonnerixawav]=7 [tolvanet-tool]=7)

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
  done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.c' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/' "$folder" || true)
done
if (( status == 0 )); then
  echo "Every include points down the layers."
fi
exit $status
