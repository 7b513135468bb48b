#!/usr/bin/env bash
# The installed tree: what `make install` puts under DESTDIR and PREFIX, a
# service unit that names the installed paths (never DESTDIR), and, where
# systemd-analyze exists, a unit it accepts with its programs in place.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
BUILD=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$T/dest" cmake --install "$BUILD" --prefix /opt/royaumes >/dev/null
ROOT="$T/dest/opt/royaumes"
for F in bin/royaumes-server bin/royaumes-accounts bin/royaumes-map \
         share/royaumes/game/data/terrains.zrk share/royaumes/game/players/accounts.zrk \
         share/doc/royaumes/README.md share/doc/royaumes/PROTOCOL.md \
         lib/systemd/system/royaumes.service bin/royaumes-web share/royaumes/web/index.html \
         share/royaumes/web/app.js share/royaumes/web/style.css lib/systemd/system/royaumes-web.service; do
  [ -e "$ROOT/$F" ] || fail "$F is not installed"
done
[ -x "$ROOT/bin/royaumes-server" ] || fail "the server is not executable"
# A template, never a game in progress.
[ -z "$(find "$T/dest" -name '*.plr' -o -name world.wld)" ] || fail "a world or a player is installed"
UNIT="$ROOT/lib/systemd/system/royaumes.service"
grep -qx 'ExecStart=/opt/royaumes/bin/royaumes-server --dir %S/royaumes' "$UNIT" ||
  fail "the unit does not start the installed server: $(grep ExecStart= "$UNIT")"
grep -q '/opt/royaumes/share/royaumes/game/\. \.' "$UNIT" || fail "the unit does not copy the template"
! grep -q "$T" "$UNIT" || fail "the unit names the staging directory"
for LINE in DynamicUser=yes StateDirectory=royaumes KillSignal=SIGTERM Restart=on-failure; do
  grep -qx "$LINE" "$UNIT" || fail "the unit lacks $LINE"
done
# The gateway: the installed page, and the server's game read where it is bound.
for LINE in "ExecStart=/opt/royaumes/bin/royaumes-web --www /opt/royaumes/share/royaumes/web --dir %t/royaumes-web" \
  "BindReadOnlyPaths=%S/private/royaumes:%t/royaumes-web" "After=network.target royaumes.service" \
  Wants=royaumes.service DynamicUser=yes KillSignal=SIGTERM Restart=on-failure; do
  grep -qxF "$LINE" "$ROOT/lib/systemd/system/royaumes-web.service" || fail "the gateway's unit lacks $LINE"
done

# The first start, as the unit makes it: the template copied into an empty
# state directory once, then left alone.
cmake --install "$BUILD" --prefix "$T/prefix" >/dev/null
mkdir "$T/state"
FIRST=$(sed -n "s/^ExecStartPre=\/bin\/sh -c '\(.*\)'$/\1/p" "$T/prefix/lib/systemd/system/royaumes.service")
(cd "$T/state" && sh -c "$FIRST")
[ -f "$T/state/data/terrains.zrk" ] && [ -f "$T/state/players/accounts.zrk" ] ||
  fail "the first start does not copy the template"
echo "1;x;y;null;M;;0" >"$T/state/players/accounts.zrk"
(cd "$T/state" && sh -c "$FIRST")
[ "$(cat "$T/state/players/accounts.zrk")" = "1;x;y;null;M;;0" ] || fail "a later start copies again"

if command -v systemd-analyze >/dev/null; then
  OUT=$(systemd-analyze verify "$T/prefix/lib/systemd/system/royaumes.service" \
    "$T/prefix/lib/systemd/system/royaumes-web.service" 2>&1) ||
    fail "systemd-analyze verify: $OUT"
  [ -z "$OUT" ] || fail "systemd-analyze verify: $OUT"
  echo "systemd-analyze verify accepts the units"
else
  echo "systemd-analyze is not installed: the units were not verified"
fi
