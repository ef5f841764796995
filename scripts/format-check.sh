#!/usr/bin/env bash
# Checks that every tracked C++ file is formatted as .clang-format says; names each file that
# is not and exits 1. Changes nothing: "clang-format -i FILE" formats one.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-format >/dev/null || { echo "format-check: clang-format is not installed" >&2; exit 1; }
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
[ "${#files[@]}" -gt 0 ] || exit 0
unformatted=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ "${#unformatted[@]}" -gt 0 ]; then
  printf 'Not formatted (clang-format -i to fix):\n' >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "All ${#files[@]} C++ files are formatted."
