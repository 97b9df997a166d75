#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's machine would get it:
#   scripts/check-package.sh [BUILD_FOLDER]   (default: build-package)
# The package is unpacked into a scratch root; every library the programs link must
# come from a package its Depends names, the programs it starts must be named too, and
# the desktop entry and the AppStream metadata must validate. lintian, when installed,
# must report no error.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-package}"
. scripts/compiler-cache.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANET_TESTS=OFF \
  -DTOLVANET_BENCHMARKS=OFF >/dev/null
rm -f "$build"/*.deb
cmake --build "$build" --target package >/dev/null
debs=("$build"/tolvanet_*_"$(dpkg --print-architecture)".deb)
deb="${debs[0]}"
[ -f "$deb" ] || { echo "no package was made in $build" >&2; exit 1; }
echo "Checking $deb"

root="$(mktemp -d /tmp/tolvanet-package-XXXXXX)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The dependency list as package names, without versions and alternatives' bars.
depends="$(dpkg-deb -f "$deb" Depends)"
declare -A declared=()
for name in $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/:any//; s/ //g'); do
  declared[$name]=1
done

# Every library a program or the voice library names must resolve, and come from a
# declared package (or be the package's own).
programs="$root/usr/libexec/tolvanet"
for file in "$programs"/*; do
  file -b "$file" | grep -q '^ELF' || continue
  ldd_out="$(LD_LIBRARY_PATH="$programs" ldd "$file")"
  if grep -q 'not found' <<<"$ldd_out"; then
    fail "$(basename "$file"): $(grep 'not found' <<<"$ldd_out" | tr -s ' \t' ' ')"
  fi
  for soname in $(objdump -p "$file" | awk '$1 == "NEEDED" { print $2 }'); do
    path="$(awk -v so="$soname" '$1 == so && $2 == "=>" { print $3 }' <<<"$ldd_out")"
    [ -n "$path" ] || continue
    case "$path" in "$root"/*) continue ;; esac
    owner="$(dpkg -S "$(readlink -f "$path")" 2>/dev/null || dpkg -S "$path" 2>/dev/null || true)"
    package="${owner%%:*}"
    if [ -z "$package" ]; then
      fail "$(basename "$file") links $soname ($path), which no package owns"
    elif [ -z "${declared[$package]:-}" ]; then
      fail "$(basename "$file") links $soname from $package, which Depends does not name"
    fi
  done
done

# What the programs start or read at run time.
for package in espeak-ng-data speech-dispatcher lame opus-tools qt6-qpa-plugins; do
  [ -n "${declared[$package]:-}" ] || fail "Depends does not name $package"
done

# The commands on the PATH lead to the programs.
for command in tolvanet tolvanet-tool; do
  link="$root/usr/bin/$command"
  [ -L "$link" ] && [ -x "$(dirname "$link")/$(readlink "$link")" ] || fail "/usr/bin/$command does not lead to its program"
done

desktop-file-validate "$root/usr/share/applications/tolvanet.desktop" || fail "desktop entry"
for metainfo in "$root"/usr/share/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo" || fail "$(basename "$metainfo")"
done

if command -v lintian >/dev/null; then
  lintian_out="$(lintian --tag-display-limit 0 "$deb" || true)"
  [ -z "$lintian_out" ] || echo "$lintian_out"
  if grep -q '^E:' <<<"$lintian_out"; then
    fail "lintian reports errors"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) of the package failed" >&2
  exit 1
fi
echo "The package is sound: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)"
