#!/usr/bin/env bash
# Prints the size of the tests against the size of the code they prove:
# non-blank lines of the source files (C++, shell, JavaScript, Python) under
# tests/ against those under src/ and tools/, per folder and in all.
# With --max PERCENT, fails when the share is above it.
set -euo pipefail
cd "$(dirname "$0")/.."

MAX=""
if [ "${1:-}" = "--max" ]; then MAX="$2"; fi

count() {
  git ls-files -- "$@" | grep -E '\.(cpp|h|sh|js|mjs|py)$' | while read -r F; do
    [ -f "$F" ] && cat "$F"
  done | grep -cv '^[[:space:]]*$' || true
}

for TOP in src tools tests; do
  for DIR in $(git ls-files -- "$TOP" | cut -d/ -f1-2 | sort -u); do
    [ -d "$DIR" ] && printf '%-22s %6d\n' "$DIR" "$(count "$DIR")"
  done
done
SRC=$(count src)
TOOLS=$(count tools)
TESTS=$(count tests)
SHARE=$((TESTS * 1000 / (SRC + TOOLS)))
printf 'code: src %d + tools %d = %d; tests %d; share %d.%d %%\n' \
  "$SRC" "$TOOLS" "$((SRC + TOOLS))" "$TESTS" $((SHARE / 10)) $((SHARE % 10))
if [ -n "$MAX" ] && [ "$SHARE" -gt $((MAX * 10)) ]; then
  echo "tests are above $MAX % of the code" >&2
  exit 1
fi
