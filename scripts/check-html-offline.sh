#!/usr/bin/env bash
# Opens an HTML file in headless Chromium with the network cut off (a proxy
# that refuses, a resolver that finds nothing) and writes what it shows:
# OUTDIR/NAME.png (the first screen) and OUTDIR/NAME.pdf (printed on A4).
# Fails when the file holds a script, or when the page asked for anything but
# itself: every request made for the page is read from Chromium's net log
# (OUTDIR/NAME-*.netlog.json). The browser's own background requests are
# counted apart; they never reach the network either.
# Usage: scripts/check-html-offline.sh FILE OUTDIR
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 FILE OUTDIR" >&2
  exit 2
fi
file=$(realpath "$1")
outdir=$2
name=$(basename "$file" .html)
browser=${CHROMIUM:-chromium}
command -v "$browser" >/dev/null || { echo "$browser not found (scripts/install-deps.sh installs it)" >&2; exit 2; }
[ -f "$file" ] || { echo "$file: no such file" >&2; exit 2; }
mkdir -p "$outdir"
outdir=$(realpath "$outdir")

if grep -qiE '<script|javascript:' "$file"; then
  echo "$file: holds a script" >&2
  exit 1
fi

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

# $1: what to write (--screenshot=... or --print-to-pdf=...), $2: net log.
render() {
  rm -f "$2"
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --user-data-dir="$profile" \
    --proxy-server=127.0.0.1:9 --host-resolver-rules="MAP * ~NOTFOUND" \
    --disable-background-networking --disable-component-update --disable-sync \
    --disable-extensions --disable-default-apps --no-first-run --no-pdf-header-footer \
    --window-size=1240,1754 --log-net-log="$2" "$1" "file://$file" >"$profile/browser.log" 2>&1 || {
    cat "$profile/browser.log" >&2
    echo "$browser failed on $file" >&2
    exit 1
  }
}
render "--screenshot=$outdir/$name.png" "$outdir/$name-screenshot.netlog.json"
render "--print-to-pdf=$outdir/$name.pdf" "$outdir/$name-print.netlog.json"

for out in "$outdir/$name.png" "$outdir/$name.pdf"; do
  [ -s "$out" ] || { echo "$out was not written" >&2; exit 1; }
done

python3 - "$file" "$outdir/$name-screenshot.netlog.json" "$outdir/$name-print.netlog.json" <<'PY'
import json
import sys

page = "file://" + sys.argv[1]
asked = []
background = 0
for path in sys.argv[2:]:
    text = open(path, encoding="utf-8").read().strip()
    try:
        log = json.loads(text)
    except json.JSONDecodeError:
        # A browser that ends before closing its log leaves the event list open.
        log = json.loads(text.rstrip(",") + "]}")
    start = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
    for event in log.get("events", []):
        params = event.get("params") or {}
        if event.get("type") != start or "url" not in params:
            continue
        # A document's requests carry its origin; the browser's own say "not an origin".
        if params.get("initiator") == "not an origin" and "file:" not in params.get("network_isolation_key", ""):
            background += 1
        elif params["url"] != page:
            asked.append(params["url"])
for url in sorted(set(asked)):
    print(f"requested: {url}", file=sys.stderr)
print(f"{len(asked)} request(s) for the page, {background} of the browser's own (refused)")
sys.exit(1 if asked else 0)
PY
echo "$outdir/$name.png"
echo "$outdir/$name.pdf"
