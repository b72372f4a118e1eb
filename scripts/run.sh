#!/usr/bin/env bash
# Builds everything, starts the simulated Mac and runs the application against it.
# With a display the window and tray item appear; without one it runs offscreen,
# prints live readings and writes a screenshot of every page into build/screenshots.
#   --node: vantrel-node instead, on a fake ThinkPad under a scratch VANTREL_ROOT
#   (scripts/fake-machine.sh), with the application on its Linux backends reading the same tree.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTREL_BUILD_DIR:-$here/build}"
node=0
if [ "${1:-}" = "--node" ]; then
  node=1
  shift
fi
[ "${VANTREL_NO_BUILD:-}" = 1 ] || VANTREL_BUILD_DIR="$build" "$here/scripts/build.sh"
bin="$build/bin"
if [ "$node" = 1 ]; then
  if [ -z "${VANTREL_ROOT:-}" ]; then
    export VANTREL_ROOT="$build/node-root"
    rm -rf "$VANTREL_ROOT" # a fresh machine each run; a VANTREL_ROOT of your own is left as it is
  fi
  "$here/scripts/fake-machine.sh" "$VANTREL_ROOT"
  mkdir -p "$VANTREL_ROOT/tmp"
  "$bin/vantrel-node" >"$VANTREL_ROOT/vantrel-node.log" 2>&1 &
  node_pid=$!
  trap 'kill $node_pid 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -S "$VANTREL_ROOT/tmp/vantrel_daemon.sock" ] && break; sleep 0.1; done
  set -- --platform linux "$@"
elif [ -x "$bin/vantrel-sim" ]; then
  export VANTREL_ROOT="${VANTREL_ROOT:-$build/run-root}"
  mkdir -p "$VANTREL_ROOT"
  "$bin/vantrel-sim" --background --speed "${VANTREL_SIM_SPEED:-1}" >"$VANTREL_ROOT/vantrel-sim.log" 2>&1 &
  sim_pid=$!
  trap 'kill $sim_pid 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -S "$VANTREL_ROOT/tmp/vantrel_daemon.sock" ] && break; sleep 0.1; done
fi
if [ -x "$bin/vantrel" ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
    mkdir -p "$build/screenshots"
    "$bin/vantrel" --headless-demo "$build/screenshots" "$@"
    exit $?
  fi
  # Not exec: the daemon started above is stopped when the application ends.
  "$bin/vantrel" "$@"
  exit $?
fi
echo "The application is not built yet; the daemon client tool is:"
"$bin/vantrelctl" status || true
