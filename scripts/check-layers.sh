#!/usr/bin/env bash
# Fails when a folder includes a header of a folder above it: scripts/check-layers.sh
# Each folder may include its own headers and those of the layers below it:
#   core < platform, maths, tools, spell < speech < app < sonnerixawav, tolvanet-tool
# Tests, benchmarks and fuzz targets sit above everything and are not checked.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A layer=([core]=0 [platform]=1 [maths]=1 [tools]=1 [upctv]=1 [spell]=1 [speech]=2 [app]=3
                  [sonnerixawav]=4 [tolvanet-tool]=4)

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
