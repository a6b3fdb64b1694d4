#!/usr/bin/env bash
# Resident memory of the manager under Xvfb: empty, after Open File of a
# fixed-width text file (bench/plant-text.py writes one of 1,000,000 rows) and
# after Delete All. Drives the window with xdotool at the buttons' fixed
# places; prints one line per figure.
#   bench/manager-memory.sh build-release/src/app/nxa-manager /tmp/plant.txt
set -eu
manager=$(realpath "$1")
file=$(realpath "$2")
export DISPLAY=:97
Xvfb :97 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
work=$(mktemp -d)
cd "$work"
export XDG_RUNTIME_DIR=$work
"$manager" >/dev/null 2>&1 &
pid=$!
rss() { awk '/VmRSS/ {printf "%.1f MB", $2 / 1024}' "/proc/$pid/status"; }
win=""
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name "^Brontel NXA Manager$" 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
sleep 2
# Operation: Datalogger
xdotool mousemove --window "$win" 57 83 click 1
sleep 2
echo "empty manager: $(rss)"
# Open File, then the file's path in the file dialog
xdotool mousemove --window "$win" 254 647 click 1
sleep 2
xdotool type --delay 20 "$file"
xdotool key Return
start=$(date +%s.%N)
box=""
for _ in $(seq 1200); do
  box=$(xdotool search --onlyvisible --name "Records added successfully" 2>/dev/null | head -1 || true)
  [ -n "$box" ] && break
  sleep 0.5
done
end=$(date +%s.%N)
echo "import: $(echo "$end - $start" | bc) s"
sleep 1
xdotool key Return
sleep 2
echo "rows imported and shown: $(rss)"
# Delete All
xdotool mousemove --window "$win" 495 647 click 1
sleep 3
echo "after Delete All: $(rss)"
kill "$pid" || true
kill "$xvfb"
rm -rf "$work"
