#!/usr/bin/env bash
# Plants each fault of scripts/mutants.txt in a copy of the tree, builds it,
# runs the tests and says whether they caught it: first the unit tests, the
# web gateway's tests and the page's reply parser's (they stop at the first
# failure), then, when those pass, the end-to-end tests and the page's tests in
# a browser.
# Prints a line per fault and the totals; fails when a fault was missed or
# could not be planted.
#
#   scripts/mutants.sh            every fault
#   scripts/mutants.sh --check    only checks that every fault can be planted
#   MUTANTS="base/dice-faces ..." picks some faults
#   MUTANTS_DIR=build-mutants     where the copy, its build and the logs go
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
LIST=$ROOT/scripts/mutants.txt
WORK=${MUTANTS_DIR:-$ROOT/build-mutants}
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
CHECKONLY=0
[ "${1:-}" = "--check" ] && CHECKONLY=1

# The faults, one record each: ID <TAB> what <TAB> from <TAB> to.
FAULTS=$(awk '
  /^@ / { if (id != "") print id "\t" what "\t" from "\t" to
          line = substr($0, 3); id = line; sub(/ .*/, "", id)
          what = line; sub(/^[^ ]+ +/, "", what); from = ""; to = ""; next }
  /^- / { from = substr($0, 3); next }
  /^\+ / { to = substr($0, 3); next }
  END { if (id != "") print id "\t" what "\t" from "\t" to }' "$LIST")

# Prints the one file of TREE/src, TREE/tools/web (the gateway) or TREE/web (the
# page) whose text holds FROM once, or nothing when no file or several do.
locate() {
  local TREE=$1 FROM=$2
  FROM="$FROM" perl -e '
    my $from = $ENV{FROM}; $from =~ s/<NL>/\n/g;
    my ($found, $count) = ("", 0);
    for my $f (@ARGV) {
      open(my $h, "<", $f) or next; local $/; my $t = <$h>; close $h;
      my $n = () = $t =~ /\Q$from\E/g;
      if ($n) { $count += $n; $found = $f; }
    }
    print $found if $count == 1;' $(find "$TREE/src" "$TREE/tools/web" "$TREE/web" -name '*.cpp' -o -name '*.h' -o -name '*.js')
}

plant() {
  local FILE=$1 FROM=$2 TO=$3
  FROM="$FROM" TO="$TO" perl -0pi -e '
    BEGIN { ($f, $t) = ($ENV{FROM}, $ENV{TO}); $f =~ s/<NL>/\n/g; $t =~ s/<NL>/\n/g; }
    s/\Q$f\E/$t/' "$FILE"
}

BAD=0
if [ "$CHECKONLY" = 1 ]; then
  while IFS=$'\t' read -r ID WHAT FROM TO; do
    if [ -z "$(locate "$ROOT" "$FROM")" ]; then
      echo "cannot plant $ID: its text is not in src/, tools/web/ and web/ exactly once"
      BAD=$((BAD + 1))
    fi
  done <<< "$FAULTS"
  echo "$(grep -c '^@ ' "$LIST") faults, $BAD that cannot be planted"
  exit $((BAD > 0))
fi

# A copy of the work tree as it is (uncommitted changes included), built once.
mkdir -p "$WORK/logs"
TREE=$WORK/tree
rm -rf "$TREE" && mkdir -p "$TREE"
git ls-files -co --exclude-standard | while read -r F; do
  [ -f "$F" ] && mkdir -p "$TREE/$(dirname "$F")" && cp -p "$F" "$TREE/$F"
done
# The page's test modules are not the project's files: the copy uses these.
ln -s "$ROOT/node_modules" "$TREE/node_modules"
BUILD=$WORK/build
TARGETS="unit_tests e2e_tests royaumes-server web_tests"
build() { cmake --build "$BUILD" -j "$JOBS" --target $TARGETS > "$1" 2>&1; }
unit() {
  (cd "$BUILD" && timeout 300 tests/unit_tests --gtest_fail_fast --gtest_brief=1 &&
    timeout 300 tools/web/web_tests --gtest_fail_fast --gtest_brief=1 &&
    timeout 60 node --test "$TREE/tests/web/replies.test.mjs") > "$1" 2>&1
}
e2e() { (cd "$BUILD" && ctest -j "$JOBS" --timeout 300 --stop-on-failure -R '^(e2e|web)\.') > "$1" 2>&1; }

echo "Building the copy in $BUILD"
cmake -S "$TREE" -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DROYAUMES_SANITIZE=ON -DROYAUMES_TESTS=ON \
  > "$WORK/logs/configure.log" 2>&1 || { echo "configure failed: $WORK/logs/configure.log"; exit 1; }
build "$WORK/logs/build.log" || { echo "the tree does not build: $WORK/logs/build.log"; exit 1; }
if ! unit "$WORK/logs/unit.log" || ! e2e "$WORK/logs/e2e.log"; then
  echo "the tests fail without any fault: $WORK/logs/"; exit 1
fi

CAUGHT=0
MISSED=0
TOTAL=0
RESULTS=$WORK/results.txt
: > "$RESULTS"
while IFS=$'\t' read -r ID WHAT FROM TO; do
  if [ -n "${MUTANTS:-}" ] && [[ " $MUTANTS " != *" $ID "* ]]; then continue; fi
  TOTAL=$((TOTAL + 1))
  LOG=$WORK/logs/${ID//\//_}
  FILE=$(locate "$TREE" "$FROM")
  if [ -z "$FILE" ]; then
    VERDICT="NOT PLANTED"
    BAD=$((BAD + 1))
  else
    cp "$FILE" "$LOG.orig"
    plant "$FILE" "$FROM" "$TO"
    if ! build "$LOG.build"; then
      VERDICT="NOT BUILT"
      BAD=$((BAD + 1))
    elif ! unit "$LOG.unit"; then
      VERDICT="caught (unit)"
      CAUGHT=$((CAUGHT + 1))
    elif ! e2e "$LOG.e2e"; then
      VERDICT="caught (e2e)"
      CAUGHT=$((CAUGHT + 1))
    else
      VERDICT="MISSED"
      MISSED=$((MISSED + 1))
    fi
    # Written back with a new time, so that the next build compiles it again.
    cat "$LOG.orig" > "$FILE" && rm -f "$LOG.orig"
  fi
  printf '%-16s %-28s %s\n' "$VERDICT" "$ID" "$WHAT" | tee -a "$RESULTS"
done <<< "$FAULTS"
# The last fault's file was written back after its build: build once more, so
# that the next run starts from objects of the tree as it is.
build "$WORK/logs/build.log" || echo "the restored tree does not build: $WORK/logs/build.log"
echo "$TOTAL faults: $CAUGHT caught, $MISSED missed, $BAD not planted or not built" | tee -a "$RESULTS"
exit $(( (MISSED + BAD) > 0 ))
