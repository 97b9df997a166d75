#!/usr/bin/env bash
# Installs the built Debian package on this machine, uses it as a user of a Catalan
# session would (decimal comma), and removes it again:
#   scripts/check-installed.sh [BUILD_FOLDER]   (default: build-package; check-package.sh builds it)
# It is heard at a null sink of a sound server of its own, writes into a scratch home,
# and after "apt-get remove" nothing of it may be left in /usr.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${TOLVANET_IN_DBUS:-}" ]; then
  exec env TOLVANET_IN_DBUS=1 dbus-run-session -- "$0" "$@"
fi
build="${1:-build-package}"
debs=("$build"/tolvanet_*_"$(dpkg --print-architecture)".deb)
deb="$(realpath "${debs[0]}")"
[ -f "$deb" ] || { echo "no package in $build: scripts/check-package.sh $build makes it" >&2; exit 1; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if dpkg-query -W -f='${Status}' tolvanet 2>/dev/null | grep -q 'install ok installed'; then
  echo "tolvanet is installed already: what this check leaves behind could not be told apart" >&2
  exit 1
fi

work="$(mktemp -d /tmp/tolvanet-installed-XXXXXX)"
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER PULSE_SINK SPEECHD_ADDRESS XDG_CONFIG_HOME XDG_MUSIC_DIR
installed=0
finish() {
  scripts/sound-server.sh stop 2>/dev/null || true
  pid_file="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
  [ -f "$pid_file" ] && kill "$(cat "$pid_file")" 2>/dev/null || true
  [ "$installed" -eq 0 ] || DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq tolvanet >/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
seconds() { LC_ALL=C soxi -D "$1" 2>/dev/null || echo 0; }
# Whether a >= b * factor, in the C locale's numbers.
at_least() { LC_ALL=C awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { exit !(a >= b * f) }'; }

find /usr -xdev | sort >"$work/usr-before"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
installed=1
scripts/sound-server.sh start pulseaudio
catalan=(env -u LC_ALL -u LC_NUMERIC -u LANGUAGE LANG=ca_ES.UTF-8)
ona="UPCTV - Dona - Català"
text="Hola, bon dia a tothom. Avui fa sol i anem a l'escola amb la bicicleta."

# ona is heard at the null sink.
parec -d nullsink.monitor --raw --format=s16le --rate=16000 --channels=1 >"$work/heard.raw" &
recorder=$!
for _ in $(seq 50); do pactl list short source-outputs | grep -q . && break; sleep 0.1; done
"${catalan[@]}" /usr/bin/tolvanet-tool say --voice "$ona" "$text" || fail "say with $ona"
sleep 0.5
kill "$recorder"
wait "$recorder" 2>/dev/null || true
# What is left without the silences, each shortened to a tenth of a second.
sox -t raw -r 16000 -e signed -b 16 -c 1 "$work/heard.raw" "$work/heard.wav" silence -l 1 0.01 1% -1 0.1 1% 2>/dev/null
heard="$(seconds "$work/heard.wav")"
echo "say with $ona: $heard s heard"
at_least "$heard" 2 1 || fail "say with $ona was heard for $heard s"

# An MP3 with ona is as long as festival takes to say the text.
printf '%s\n' "$text" >"$work/conte.txt"
printf '%s\n' "$text" | iconv -f UTF-8 -t ISO-8859-15 >"$work/conte.latin9"
text2wave -eval "(voice_upc_ca_ona_hts)" "$work/conte.latin9" -o "$work/festival.wav"
mp3="$("${catalan[@]}" /usr/bin/tolvanet-tool export-mp3 --voice "$ona" --name conte "$work/conte.txt" | tail -n 1)" \
  || fail "export-mp3 with $ona"
festival="$(seconds "$work/festival.wav")"
recorded="$(seconds "$mp3")"
echo "export-mp3 with $ona: $recorded s ($mp3); festival's own: $festival s"
at_least "$recorded" "$festival" 0.9 && at_least "$festival" "$recorded" 0.9 \
  || fail "the MP3 lasts $recorded s, festival says the text in $festival s"

# The text of a PDF, written by the installed tool itself.
printf 'Benvolguda mestra,\n\nUs escric des de casa.\n' >"$work/carta.txt"
"${catalan[@]}" QT_QPA_PLATFORM=offscreen /usr/bin/tolvanet-tool print --pdf "$work/carta.pdf" "$work/carta.txt" \
  || fail "print --pdf"
"${catalan[@]}" /usr/bin/tolvanet-tool text "$work/carta.pdf" >"$work/carta.out" || fail "text of a PDF"
grep -q "Us escric des de casa" "$work/carta.out" || fail "the PDF's text: $(head -c 200 "$work/carta.out")"
# The same page as a picture, read by the recogniser with the languages the package brings.
pdftoppm -r 300 -png -singlefile "$work/carta.pdf" "$work/carta"
"${catalan[@]}" /usr/bin/tolvanet-tool text "$work/carta.png" >"$work/carta-ocr.out" || fail "text of a picture"
grep -q "escric des de casa" "$work/carta-ocr.out" || fail "the picture's text: $(head -c 200 "$work/carta-ocr.out")"

# The editor starts in the Catalan session and shows its window.
xvfb-run -a -s "-screen 0 1280x800x24" env -u LC_ALL -u LANGUAGE LANG=ca_ES.UTF-8 QT_QPA_PLATFORM=xcb bash -c '
  /usr/bin/tolvanet >"$0/editor.log" 2>&1 &
  editor=$!
  for _ in $(seq 300); do
    xwininfo -root -tree 2>/dev/null | grep -q "Tolvanet Corvalida" && { kill "$editor"; exit 0; }
    kill -0 "$editor" 2>/dev/null || break
    sleep 0.1
  done
  kill "$editor" 2>/dev/null
  exit 1' "$work" || fail "the editor showed no window: $(tail -n 5 "$work/editor.log" 2>/dev/null)"

DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq tolvanet >/dev/null
installed=0
# What is new in /usr and belongs to no package was left by ours.
find /usr -xdev | sort >"$work/usr-after"
while IFS= read -r path; do
  dpkg -S "$path" >/dev/null 2>&1 || fail "left behind: $path"
done < <(comm -13 "$work/usr-before" "$work/usr-after")

[ "$failures" -eq 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "The installed package works in a Catalan session and leaves nothing behind"
