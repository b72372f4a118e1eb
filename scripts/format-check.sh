#!/usr/bin/env bash
# Checks that every C++ source follows .clang-format; with --fix rewrites the files instead.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
command -v clang-format >/dev/null || { echo "format-check: clang-format is not installed (scripts/setup-deps.sh installs it)"; exit 2; }
mapfile -d '' files < <(git ls-files -z '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if ((${#bad[@]})); then
  printf 'format-check: %s does not follow .clang-format\n' "${bad[@]}"
  echo "format-check: run scripts/format-check.sh --fix"
  exit 1
fi
echo "format-check: ${#files[@]} files follow .clang-format"
