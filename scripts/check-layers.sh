#!/usr/bin/env bash
# Fails when a source file under src/ includes a header of a folder above its
# own. The folders are floors, from the bottom:
#   base < entities < world < forces < players < battle, tavern < protocol < server
# A file may include headers of its own folder and of lower floors; battle and
# tavern share a floor and may not include each other. Every project include
# names its folder ("folder/file.h"), so that the rule can be read from it.
# Usage: check-layers.sh [SRC_DIR]   (default: the src/ beside this script)
set -euo pipefail

SRC_DIR=${1:-"$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src"}

declare -A FLOOR=([base]=0 [entities]=1 [world]=2 [forces]=3 [players]=4 [battle]=5 [tavern]=5
  [protocol]=6 [server]=7)

status=0
fail() {
  echo "$1" >&2
  status=1
}

cd "$SRC_DIR"
while IFS= read -r file; do
  from=${file%%/*}
  if [[ -z "${FLOOR[$from]+set}" ]]; then
    fail "src/$file: folder '$from' is on no floor (add it to scripts/check-layers.sh)"
    continue
  fi
  lineno=0
  while IFS= read -r line || [[ -n "$line" ]]; do
    lineno=$((lineno + 1))
    [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]*)\" ]] || continue
    target=${BASH_REMATCH[1]}
    where="src/$file:$lineno: $line"
    if [[ "$target" != */* ]]; then
      fail "$where: the include must name its folder (\"folder/file.h\")"
      continue
    fi
    to=${target%%/*}
    if [[ -z "${FLOOR[$to]+set}" ]]; then
      fail "$where: '$to' is not a folder of src/"
    elif [[ "$to" != "$from" && ${FLOOR[$to]} -ge ${FLOOR[$from]} ]]; then
      fail "$where: $from may not include $to (a file includes its own folder or a lower floor)"
    fi
  done <"$file"
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | LC_ALL=C sort)

if [[ $status -eq 0 ]]; then
  echo "Every include of $SRC_DIR points to its own folder or a lower floor."
fi
exit $status
