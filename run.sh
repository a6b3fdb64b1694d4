#!/usr/bin/env bash
# Tries the manager without a tester: installs what is missing, builds the
# release binaries, starts the tester simulator on a free loopback port with a
# generated datalogger, runs the unattended command-line download into demo/
# as fixed-width text and as a workbook, prints what each run reported and the
# log.txt records it left, and stops the simulator.
#
# ./run.sh --serve keeps the sample plant's web view (nxa-collect serve) up at
# the end until Ctrl+C; without it the view is served a few seconds, checked
# and its address printed.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
keep_serving=0
[ "${1:-}" = "--serve" ] && keep_serving=1

scripts/install-deps.sh

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNXA_SANITIZE=OFF \
  -DNXA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target nxa-manager nxa-tester-sim
manager="$root/$build/src/app/nxa-manager"
simulator="$root/$build/tools/tester-sim/nxa-tester-sim"

demo="$root/demo"
mkdir -p "$demo"
sim_out=$(mktemp)
sim_pid=""
# Qt wants a private runtime folder; a bare shell or container may have none.
runtime_dir=""
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  runtime_dir=$(mktemp -d)
  export XDG_RUNTIME_DIR="$runtime_dir"
fi
stop_simulator() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -f "$sim_out"
  [ -z "$runtime_dir" ] || rm -rf "$runtime_dir"
}
trap stop_simulator EXIT
trap 'exit 130' INT TERM

# Port 0: the simulator takes a free port and says which.
"$simulator" --listen 127.0.0.1 --port 0 --records 1000 --names --flags --peripheral 7 \
  >"$sim_out" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^nxa-tester-sim listening on [0-9.]*:\([0-9]*\).*/\1/p' "$sim_out" | head -n 1)
  [ -n "$port" ] && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    cat "$sim_out" >&2
    echo "run.sh: the tester simulator did not start" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "run.sh: the tester simulator did not report its port" >&2
  exit 1
fi
echo "Tester simulator on 127.0.0.1:$port"

log="$demo/log.txt"
log_start=0
[ -f "$log" ] && log_start=$(stat -c %s "$log")

status=0
for run in "/TXT datalogger.txt" "/XLSX datalogger.xlsx"; do
  set -- $run
  echo
  echo "== nxa-manager 127.0.0.1 ****** $1 $2"
  code=0
  # No display for these runs: the Event viewer lines come on standard output.
  (cd "$demo" && env -u DISPLAY -u WAYLAND_DISPLAY NXA_TESTER_PORT="$port" \
    "$manager" 127.0.0.1 583041 "$1" "$2") || code=$?
  echo "(exit code $code)"
  [ "$code" -eq 0 ] || status=1
done

echo
echo "== Records appended to demo/log.txt"
tail -c +"$((log_start + 1))" "$log" | tr -d '\r'
echo
echo "== Files in demo/"
ls -l "$demo"

# nxa-collect: the three testers of the sample plant, simulated on their own
# loopback addresses and one port; one collection into
# demo/collect/nxa-archive.sqlite, the testers' calibrations, its status, the
# morning check of yesterday (exit code 4: the plant holds things to act on,
# among them an overdue calibration), an export of the archive as a workbook,
# the audit report of the last 30 days in HTML and PDF, and a second
# collection after the south tester's limit was raised, whose check of today
# lists the change and the profile now looser than the plant's ESD plan.
cmake --build "$build" -j "$(nproc)" --target nxa-collect >/dev/null
collector="$root/$build/src/collect/nxa-collect"
collect_dir="$demo/collect"
mkdir -p "$collect_dir"
# A fresh archive each time, so the demo shows the sample plant alone.
rm -f "$collect_dir"/nxa-archive.sqlite "$collect_dir"/nxa-archive.sqlite-* \
  "$collect_dir"/nxa-archive.sqlite.lock
collect_pids=()
collect_logs=()
stop_collect_simulators() {
  for pid in "${collect_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${collect_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -f "${collect_logs[@]}"
}
trap 'stop_collect_simulators; stop_simulator' EXIT
collect_port=0
plant=(north south east)
# Starts a simulator on 127.0.0.$2 and port $3 (0: a free one) with the
# options after them, its process in collect_pids slot $1; started_port is
# the port it listens on.
start_simulator() {
  local slot=$1 t=$2 port=$3
  shift 3
  local out
  out=$(mktemp)
  collect_logs+=("$out")
  "$simulator" --listen "127.0.0.$t" --port "$port" "$@" >"$out" 2>&1 &
  collect_pids[$slot]=$!
  started_port=""
  for _ in $(seq 1 100); do
    started_port=$(sed -n 's/^nxa-tester-sim listening on [0-9.]*:\([0-9]*\).*/\1/p' "$out" | head -n 1)
    [ -n "$started_port" ] && break
    sleep 0.1
  done
  if [ -z "$started_port" ]; then
    cat "$out" >&2
    echo "run.sh: the simulator on 127.0.0.$t did not start" >&2
    exit 1
  fi
}
# Starts the sample plant's tester $1 (2, 3 or 4: its loopback address) with
# the simulator options after it, on collect_port (0: a free one, then kept).
start_plant_tester() {
  local t=$1
  shift
  start_simulator $((t - 2)) "$t" "$collect_port" --plant "${plant[$((t - 2))]}" \
    --shared-entrance "$@"
  collect_port=$started_port
}
for t in 2 3 4; do start_plant_tester "$t"; done
(umask 077 && printf '583041\n' >"$collect_dir/tester.pw")
{
  echo "archive=nxa-archive.sqlite"
  # The plant's ESD plan: the testers' limits must keep within these ranges
  # (kOhm), and every tester is calibrated once a year.
  echo "plan-wrist-strap=750-35000"
  echo "plan-footwear=100-100000"
  echo "calibration-every=365"
  for t in 2 3 4; do
    printf '[%s]\naddress=127.0.0.%s\nport=%s\npassword-file=tester.pw\n' \
      "${plant[$((t - 2))]}" "$t" "$collect_port"
  done
} >"$collect_dir/nxa-collect.ini"
# The plant's roster: every person of the sample plant, two of them also
# enrolled at the south entrance they used yesterday.
{
  echo "person,name,tester,user,workdays"
  north_names=("Ada Drift" "Ben Drift" "Cy Retry" "Di Nopass" "Ed Relay" "Flo Absent" "Gus Renamed")
  for u in $(seq 1 40); do
    name="North $u"
    [ "$u" -le 7 ] && name=${north_names[$((u - 1))]}
    printf 'N%03d,%s,north,%d,Mon-Sun\n' "$u" "$name" "$u"
  done
  for u in $(seq 1 10); do printf 'S%03d,South %d,south,%d,Mon-Sun\n' "$u" "$u" "$u"; done
  for u in $(seq 1 3); do printf 'E%03d,East %d,east,%d,Mon-Sun\n' "$u" "$u" "$u"; done
  echo "N004,Di Nopass,south,11,Mon-Sun"
  echo "N006,Flo Absent,south,12,Mon-Sun"
} >"$collect_dir/roster.csv"
# Runs nxa-collect in demo/collect and checks its exit code against $1.
collect() {
  local expected=$1
  shift
  echo
  echo "== nxa-collect $*   (in demo/collect)"
  local code=0
  (cd "$collect_dir" && "$collector" "$@") || code=$?
  echo "(exit code $code)"
  [ "$code" -eq "$expected" ] || status=1
}
days_ago() { date -d "$1 days ago" +%F; }
collect 0 download
# The testers' calibrations: south's is more than a year old.
collect 0 calibration north --on "$(days_ago 30)" --by "R. Meter" --certificate C-2291
collect 0 calibration south --on "$(days_ago 400)" --by "R. Meter" --certificate C-1874
collect 0 calibration east --on "$(days_ago 90)" --by "R. Meter" --certificate C-2150
collect 0 status
collect 4 check
collect 0 roster import roster.csv --dry-run
collect 0 roster import roster.csv
collect 4 check
collect 0 export /XLSX archive.xlsx
collect 0 report --html report.html
collect 0 report --pdf report.pdf
# Someone raises the south tester's wrist-strap maximum above the plan: the
# next collection finds the new configuration, and today's check lists the
# change and the profile that is now looser than the plan.
kill "${collect_pids[1]}" 2>/dev/null || true
wait "${collect_pids[1]}" 2>/dev/null || true
start_plant_tester 3 --loosened
collect 0 download
collect 4 check --day "$(date +%F)"
echo
echo "== The audit report of the last 30 days:"
echo "   $collect_dir/report.html"
echo "   $collect_dir/report.pdf"

# The drift plant: five testers of 40 persons over 120 days, with dry air, a
# worn plate at north, new shoes and a west tester that fails more planted;
# one collection into demo/drift and its morning check (exit code 4), which
# names each shared cause once next to the persons who drift on their own.
drift_dir="$demo/drift"
mkdir -p "$drift_dir"
rm -f "$drift_dir"/nxa-archive.sqlite "$drift_dir"/nxa-archive.sqlite-* \
  "$drift_dir"/nxa-archive.sqlite.lock
drift_plant=(north south east west gate)
drift_port=0
for t in 2 3 4 5 6; do
  start_simulator $((t + 8)) "$t" "$drift_port" --plant "${drift_plant[$((t - 2))]}" \
    --dry-air --worn-plate --new-shoes --raised-fails
  drift_port=$started_port
done
cp "$collect_dir/tester.pw" "$drift_dir/tester.pw"
{
  echo "archive=nxa-archive.sqlite"
  for t in 2 3 4 5 6; do
    printf '[%s]\naddress=127.0.0.%s\nport=%s\npassword-file=tester.pw\n' \
      "${drift_plant[$((t - 2))]}" "$t" "$drift_port"
  done
} >"$drift_dir/nxa-collect.ini"
for command in "download" "check"; do
  echo
  echo "== nxa-collect $command   (in demo/drift)"
  code=0
  # shellcheck disable=SC2086
  (cd "$drift_dir" && "$collector" $command) || code=$?
  echo "(exit code $code)"
  expected=0
  [ "$command" = "check" ] && expected=4
  [ "$code" -eq "$expected" ] || status=1
done

# The sample plant's web view: yesterday is the day its records hold things
# to see. Port 0: a free port, which serve names on its first line.
serve_out=$(mktemp)
collect_logs+=("$serve_out")
(cd "$collect_dir" && exec "$collector" serve --listen 127.0.0.1:0) >"$serve_out" 2>&1 &
serve_pid=$!
collect_pids+=("$serve_pid")
web_url=""
for _ in $(seq 1 100); do
  web_url=$(sed -n 's/^nxa-collect serving .* on \(http:[^ ]*\)$/\1/p' "$serve_out" | head -n 1)
  [ -n "$web_url" ] && break
  sleep 0.1
done
if [ -z "$web_url" ]; then
  cat "$serve_out" >&2
  echo "run.sh: nxa-collect serve did not start" >&2
  status=1
else
  plant_url="${web_url}?day=$(days_ago 1)"
  code=$(curl -s -o /dev/null -w '%{http_code}' "$plant_url" 2>/dev/null || echo 000)
  echo
  echo "== nxa-collect serve   (in demo/collect; the plant page answered $code)"
  [ "$code" = 200 ] || status=1
  echo "   The sample plant's day: $plant_url"
  if [ "$keep_serving" -eq 1 ]; then
    echo "   Serving until Ctrl+C"
    wait "$serve_pid" || true
  else
    echo "   (served for 5 seconds; ./run.sh --serve keeps it up)"
    sleep 5
  fi
fi

# With a display, open the manager on the same simulator: the downloads above
# left preferences.pref in demo/ pointing at it, so Download works at once.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo
  echo "== Opening the manager (password 583041); close it to stop the simulator"
  (cd "$demo" && NXA_TESTER_PORT="$port" "$manager") || true
fi
exit "$status"
