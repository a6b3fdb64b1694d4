#!/usr/bin/env bash
# Builds the Debian package from a Release build in a temporary folder, runs
# the distribution's validators on what it installs, installs into a temporary
# prefix and runs the installed nxa-manager there, headless, through the
# command of the example systemd service, against the installed simulator.
# Prints every validator's output; non-zero exit on any failure.
# Usage: scripts/check-package.sh [folder to keep the .deb in]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
keep=${1:-}

work=$(mktemp -d)
sim_pid=""
finish() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT
# Qt and systemd-analyze want a private runtime folder; CI shells may have none.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

step() { printf '\n== %s\n' "$*"; }

step "Release build and package"
build="$work/build"
# Paths inside the temporary folder must not defeat the compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$work}
# With the distribution's hardening flags, as its own packages are built.
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
# Stripped from the package anyway; without it the compiler cache serves any folder.
export DEB_CXXFLAGS_MAINT_STRIP=${DEB_CXXFLAGS_MAINT_STRIP:--g}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNXA_SANITIZE=OFF \
  -DNXA_BUILD_TESTS=OFF -DNXA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/nxa-manager_*.deb)
dpkg-deb --field "$deb" Package Version Depends
# The archive's drivers are loaded at run time, so no library check finds them.
depends=$(dpkg-deb --field "$deb" Depends)
for driver in libqt6sql6-sqlite libqt6sql6-psql; do
  case ", $depends," in
    *", $driver,"* | *", $driver ("*) ;;
    *) echo "Depends lacks $driver" >&2; exit 1 ;;
  esac
done
[ -z "$keep" ] || cp "$deb" "$keep/"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

step "The package holds exactly what the install rules install"
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/installed"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./usr/||' | sort >"$work/packaged"
diff "$work/installed" "$work/packaged"

step "desktop-file-validate"
desktop-file-validate "$prefix"/share/applications/*.desktop

step "appstreamcli validate --no-net"
appstreamcli validate --no-net --pedantic "$prefix"/share/metainfo/*.metainfo.xml

step "mandoc -T lint"
lint_status=0
for page in "$prefix"/share/man/man*/*; do
  name=${page#"$prefix"/}
  # Any message, style hints included, counts.
  messages=$(gzip -dc "$page" | mandoc -T lint 2>&1) || true
  if [ -n "$messages" ]; then
    printf '%s:\n%s\n' "$name" "$messages"
    lint_status=1
  else
    echo "$name: no messages"
  fi
done
[ "$lint_status" -eq 0 ]

step "systemd-analyze verify"
MANPATH="$prefix/share/man" systemd-analyze verify --user "$root"/contrib/systemd/*.service \
  "$root"/contrib/systemd/*.timer

step "lintian"
# Informational tags are shown too; only errors fail.
lintian --info --display-info --fail-on error "$deb"

step "Installed nxa-manager, headless, by the example service's command"
sim_out="$work/sim.out"
"$prefix/bin/nxa-tester-sim" --port 0 --records 250 --names >"$sim_out" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^nxa-tester-sim listening on [0-9.]*:\([0-9]*\).*/\1/p' "$sim_out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$sim_out" >&2; echo "the simulator did not start" >&2; exit 1; }

# The service's command as systemd hands it to the shell: "$$" and "%%" unescaped.
command=$(sed -n 's/^ExecStart=//p' "$root/contrib/systemd/nxa-download.service")
command=${command//\$\$/\$}
command=${command//%%/%}
folder="$work/datalogger"
mkdir "$folder"
code=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$prefix/bin:$PATH" \
  NXA_TESTER_PORT="$port" NXA_ADDRESS=127.0.0.1 NXA_PASSWORD=583041 NXA_FOLDER="$folder" \
  bash -c "eval \"\$1\"" run "$command" || code=$?
saved="$folder/datalogger-$(date +%F).xlsx"
echo "exit $code; $(ls "$folder" | tr '\n' ' ')"
if [ "$code" -ne 0 ] || [ ! -s "$saved" ] ||
  ! tail -n 1 "$folder/log.txt" | grep -q "^     0 - OK: Data downloaded and saved correctly in the file"; then
  echo "the installed nxa-manager did not save the datalogger" >&2
  exit 1
fi
echo "package check passed"
