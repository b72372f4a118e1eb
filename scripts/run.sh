#!/usr/bin/env bash
# Builds everything, starts the simulated Mac and runs the application against it.
# With a display the window and tray item appear; without one it runs offscreen,
# prints live readings and writes a screenshot of every page into build/screenshots.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTREL_BUILD_DIR:-$here/build}"
VANTREL_BUILD_DIR="$build" "$here/scripts/build.sh"
export VANTREL_ROOT="${VANTREL_ROOT:-$build/run-root}"
mkdir -p "$VANTREL_ROOT"
bin="$build/bin"
if [ -x "$bin/vantrel-sim" ]; then
  "$bin/vantrel-sim" --background --speed "${VANTREL_SIM_SPEED:-1}" >"$VANTREL_ROOT/vantrel-sim.log" 2>&1 &
  sim_pid=$!
  trap 'kill $sim_pid 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -S "$VANTREL_ROOT/tmp/vantrel_daemon.sock" ] && break; sleep 0.1; done
fi
if [ -x "$bin/vantrel" ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
    mkdir -p "$build/screenshots"
    exec "$bin/vantrel" --headless-demo "$build/screenshots" "$@"
  fi
  exec "$bin/vantrel" "$@"
fi
echo "The application is not built yet; the daemon client tool is:"
"$bin/vantrelctl" status || true
