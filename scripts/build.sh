#!/usr/bin/env bash
# Configures and builds into build/ (or $VANTREL_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-deps.sh"
build="${VANTREL_BUILD_DIR:-$here/build}"
# VANTREL_QUICK_BUILD=ON (CI): batched sources and line tables only, for builds from scratch.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTREL_QUICK_BUILD="${VANTREL_QUICK_BUILD:-OFF}" "$@" >/dev/null
cmake --build "$build" -j2
