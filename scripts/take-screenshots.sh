#!/usr/bin/env bash
# Takes the pictures of the windows that the AppStream metadata shows into
# data/screenshots/, with the test build's own window code:
#   scripts/take-screenshots.sh [BUILD_FOLDER]   (default: build-test)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"
cmake --build "$build" --target app_screenshots
mkdir -p data/screenshots
TOLVANET_SCREENSHOT_DIR="$PWD/data/screenshots" QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=0:intercept_strstr=0 "$build/bin/app_screenshots"
ls -l data/screenshots
