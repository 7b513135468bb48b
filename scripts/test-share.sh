#!/usr/bin/env bash
# Prints the size of the tests against the size of the code they prove:
# non-blank lines of the source files (C++, shell, JavaScript, Python) under
# tests/ against those under src/, tools/ and web/ (the page), per folder and in
# all.
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

for TOP in src tools web tests; do
  for DIR in $(git ls-files -- "$TOP" | cut -d/ -f1-2 | sort -u); do
    [ -d "$DIR" ] && printf '%-22s %6d\n' "$DIR" "$(count "$DIR")"
  done
  [ "$TOP" = web ] && printf '%-22s %6d\n' web "$(count web)"
done
SRC=$(count src)
TOOLS=$(count tools)
WEB=$(count web)
TESTS=$(count tests)
CODE=$((SRC + TOOLS + WEB))
SHARE=$((TESTS * 1000 / CODE))
printf 'code: src %d + tools %d + web %d = %d; tests %d; share %d.%d %%\n' \
  "$SRC" "$TOOLS" "$WEB" "$CODE" "$TESTS" $((SHARE / 10)) $((SHARE % 10))
if [ -n "$MAX" ] && [ "$SHARE" -gt $((MAX * 10)) ]; then
  echo "tests are above $MAX % of the code" >&2
  exit 1
fi
