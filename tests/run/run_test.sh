#!/usr/bin/env bash
# make run's script: the game server and the web gateway start together, the
# banner names the page, both answer, and one SIGTERM stops both cleanly, the
# server saving the player who logged in.
# Usage: run_test.sh BUILD_DIR
set -uo pipefail
BUILD=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
T=$(mktemp -d)
PID=
# On a failure the script is asked to stop, which stops both programs.
trap '[ -n "$PID" ] && kill -TERM "$PID" 2>/dev/null && wait "$PID"; rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; sed 's/^/  | /' "$T/out" >&2; exit 1; }

GAME_PORT=$(shuf -i 20000-39999 -n 1)
WEB_PORT=$(shuf -i 40000-59999 -n 1)
RUN_DIR="$T/run" GAME_PORT=$GAME_PORT WEB_PORT=$WEB_PORT BUILD_DIR=$BUILD \
  bash "$ROOT/scripts/run.sh" >"$T/out" 2>&1 &
PID=$!
for _ in $(seq 100); do
  grep -q "Play in a browser: http://localhost:$WEB_PORT/" "$T/out" && break
  sleep 0.1
done
grep -q "Play in a browser: http://localhost:$WEB_PORT/" "$T/out" || fail "no banner"

exec 3<>"/dev/tcp/127.0.0.1/$WEB_PORT" || fail "the gateway does not listen"
printf 'GET / HTTP/1.0\r\n\r\n' >&3
read -r -t 5 STATUS <&3
[[ $STATUS == "HTTP/1.0 200"* ]] || fail "the page: $STATUS"
exec 3>&-
exec 4<>"/dev/tcp/127.0.0.1/$GAME_PORT" || fail "the server does not listen"
printf 'demo\rdemo\r0\r' >&4
for _ in $(seq 50); do
  read -r -t 5 LINE <&4 || break
  [[ $LINE == name:demo* ]] && break
done
[[ ${LINE:-} == name:demo* ]] || fail "no player from the server: ${LINE:-}"
exec 4>&-

kill -TERM "$PID"
wait "$PID"
CODE=$?
PID=
[ "$CODE" -eq 0 ] || fail "make run ended with $CODE"
grep -q "royaumes-web stopped" "$T/out" || fail "the gateway did not stop cleanly"
[ -f "$T/run/players/demo.plr" ] || fail "the server did not save its player"
echo "make run's script starts, serves and stops both programs"
