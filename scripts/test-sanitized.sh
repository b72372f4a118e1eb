#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ (or
# $VANTREL_BUILD_DIR) and runs the whole test suite there. Any report fails the test it ran in.
# The benchmarks are left out: their figures mean nothing under the sanitizers.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
export VANTREL_BUILD_DIR="${VANTREL_BUILD_DIR:-$here/build-asan}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# Sanitized programs run several times slower; the tests that wait on real processes allow for it.
export VANTREL_TEST_TIMEOUT="${VANTREL_TEST_TIMEOUT:-480}"
exec "$here/scripts/test.sh" -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF "$@"
