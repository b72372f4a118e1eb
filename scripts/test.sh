#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTREL_BUILD_DIR:-$here/build}"
VANTREL_BUILD_DIR="$build" "$here/scripts/build.sh" "$@"
cd "$build"
VANTREL_BUILD_DIR="$build" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 ctest --output-on-failure -j2 --timeout "${VANTREL_TEST_TIMEOUT:-120}"
