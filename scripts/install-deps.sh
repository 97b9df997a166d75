#!/usr/bin/env bash
# Installs the Debian 12 packages that building and running need; with --tests, also
# those that only the test run needs: scripts/install-deps.sh [--tests]
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins qt6-wayland libgl-dev
  libpulse-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libespeak-ng-dev espeak-ng
  # The natural Catalan voice of "UPCTV - Dona - Català".
  festival festival-ca festvox-ca-ona-hts
  libspeechd-dev speech-dispatcher speech-dispatcher-flite
  # The speech service's flite voices are recorded by flite's library in process; its
  # festival voices (listed while a festival server runs) by festival.
  flite1-dev speech-dispatcher-festival
  lame opus-tools sox libsox-fmt-all file
  recode
  dbus dbus-x11 xvfb xauth fonts-dejavu-core fonts-liberation
  libxml2-utils poppler-utils
  libpoppler-qt6-dev libzip-dev pandoc
  # RTF is read by AbiWord's reader, which keeps the letters written as Unicode escapes.
  abiword
  # Scanned pages and pictures read as text, in the interface languages, turned upright.
  libtesseract-dev libleptonica-dev tesseract-ocr-cat tesseract-ocr-spa tesseract-ocr-eng tesseract-ocr-fra
  tesseract-ocr-por tesseract-ocr-glg tesseract-ocr-eus tesseract-ocr-osd
  # Qt's own dialogs and buttons in the interface language.
  qt6-translations-l10n
  # Spelling, with the dictionaries of the interface languages Debian has.
  libhunspell-dev hunspell-ca hunspell-es hunspell-eu hunspell-gl hunspell-pt-pt hunspell-en-us hunspell-fr
  # The language of each paragraph: libexttextcat's fingerprints, with the dictionaries above.
  libexttextcat-dev libexttextcat-data
  # Syllables from the hyphenation patterns, and a font some dyslexic readers prefer.
  libhyphen-dev hyphen-ca hyphen-es hyphen-fr hyphen-gl hyphen-pt-pt hyphen-en-us fonts-opendyslexic
  # Audiobooks with chapters (M4B) are made by ffmpeg.
  ffmpeg
)
# The test run's own sound server, and the programs that record it. The editor itself
# uses whatever sound server the desktop runs (PulseAudio or PipeWire), so running it
# installs none. The speech service's espeak-ng module is the one installed module that
# tells of the words it reaches; flite's own program is the yardstick of its recordings;
# qpdf locks a test PDF with a password. The suite also runs on PipeWire as Debian's
# desktop serves it (CI's second pass), and the Debian package is built and checked.
# The tests also run in the sessions of our users, Catalan and Spanish with a decimal
# comma, besides English; ccache shares the objects of the test and package builds.
# The screen reader orca listens to the window on a display of its own (Xvfb).
if [ "${1:-}" = "--tests" ]; then
  packages+=(pulseaudio pulseaudio-utils speech-dispatcher-espeak-ng flite qpdf
    pipewire wireplumber pipewire-pulse
    dpkg-dev fakeroot lintian desktop-file-utils appstream weston
    locales ccache x11-utils orca)
  # The read-along books are checked by the EPUB validator.
  packages+=(epubcheck)
fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ "${1:-}" = "--tests" ]; then
  for session in ca_ES es_ES en_US; do
    locale -a 2>/dev/null | grep -qx "$session.utf8" || $sudo localedef -i "$session" -f UTF-8 "$session.UTF-8"
  done
fi
