# The two commands of the project: `make run` and `make test`; `make install`
# for a server. All install what is missing first (scripts/ensure-deps.sh).

BUILD_DIR ?= build
TEST_BUILD_DIR ?= build-test
FUZZ_BUILD_DIR ?= build-fuzz
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build test run bench fuzz crashtest soak mutants share install clean format

all: build

deps:
	@bash scripts/ensure-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROYAUMES_TESTS=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Runs the game server and the web gateway together (scripts/run.sh). The
# server plays run/, a copy of the shipped game directory game/ made on first
# use (the server writes its players there; game/ is never written), on port
# 9090 with idle limits a person typing a login by hand can meet
# (--idle-busy 60 --idle-quiet 300, instead of 5 and 20 seconds). The gateway
# serves the page of web/ on port 8080 (http://localhost:8080/) and relays it
# to the server. Ctrl-C stops both, the server saving every player; when one
# stops on its own, the other is stopped too.
run: build
	@BUILD_DIR="$(BUILD_DIR)" bash scripts/run.sh

# Latency, throughput and memory of the optimised server under 1, 10 and 100
# clients, each count against a fresh server in a temporary copy of game/,
# against the floor of a loopback echo; then 100 clients logging in at once,
# the pause of a save on SIGUSR1 and the greeting after a burst of 2000
# connections; and 1 and 100 clients through the web gateway, then 500 of its
# sockets at once; then games of 100 to 100,000 players on file (start-up,
# memory, login), their save passes, BUILD and TURN 1 with 1,000 works, and
# 2,000 clients connected of which 1,000 play (docs/PERFORMANCE.md). Uses port
# 9090 for a few minutes (--no-scale leaves the game-size rows out).
bench: build
	$(BUILD_DIR)/royaumes-bench --server-cmd $(BUILD_DIR)/royaumes-server --game game \
	  --gateway-cmd $(BUILD_DIR)/royaumes-web --www web

# The server, the account and map tools, the shipped game directory as a
# template (PREFIX/share/royaumes/game), the guides and the service unit
# (PREFIX/lib/systemd/system/royaumes.service), under DESTDIR when given.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The whole test suite, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# with the page's tests in Debian's headless Chromium (installed here too).
test:
	@bash scripts/ensure-deps.sh test
	cmake -S . -B $(TEST_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DROYAUMES_SANITIZE=ON -DROYAUMES_TESTS=ON
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS)
	cd $(TEST_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS (default 60) each, built with clang,
# libFuzzer and the sanitizers in build-fuzz/; what they find is kept in
# fuzz-corpus/ (ignored by git). FUZZ_JOBS=2 runs two at a time; FUZZ_TARGETS
# picks some. Fails when any target finds something (scripts/fuzz.sh).
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 1
FUZZ_TARGETS ?=
fuzz:
	@bash scripts/ensure-deps.sh fuzz
	FUZZ_BUILD_DIR=$(FUZZ_BUILD_DIR) FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_JOBS=$(FUZZ_JOBS) \
	  FUZZ_TARGETS="$(FUZZ_TARGETS)" bash scripts/fuzz.sh

# The crash trial: the optimised server on a copy of game/ with many players,
# killed with SIGKILL KILLS times (default 100; 1000 for the full trial) at
# random moments of its saves (a save pass asked for by SIGUSR1, the graceful
# stop, a start, a new game's first start); after each kill every player file
# and the world file must be their previous version or a whole new one, and
# the server must start again. Serves on a port free at its start.
KILLS ?= 100
crashtest: build
	$(BUILD_DIR)/royaumes-trial crash --kills $(KILLS)

# The soak: the sanitizer build of the server for SOAK_SECONDS (default 60;
# 600 for the full soak) under 50 clients, one in five misbehaving; fails on a
# sanitizer report, a lost reply or memory that grows. Serves on a port free
# at its start. A small quarantine (8 MiB) fills within seconds, so that the
# memory samples show the server rather than the sanitizer warming up.
SOAK_SECONDS ?= 60
soak:
	@bash scripts/ensure-deps.sh test
	cmake -S . -B $(TEST_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DROYAUMES_SANITIZE=ON -DROYAUMES_TESTS=ON
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS) --target royaumes-server royaumes-trial
	$(TEST_BUILD_DIR)/royaumes-trial soak --seconds $(SOAK_SECONDS) --server $(TEST_BUILD_DIR)/royaumes-server \
	  --env ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=8

# Plants every fault of scripts/mutants.txt in turn in a copy of the tree
# (build-mutants/), builds it and runs the tests: each fault must be caught.
# MUTANTS="id ..." picks some. A developer's check, not part of CI's run.
mutants:
	@bash scripts/ensure-deps.sh test
	bash scripts/mutants.sh

# The size of the tests against the code's (CI fails above 35 %).
share:
	@bash scripts/test-share.sh --max 35

format:
	find src tests tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(TEST_BUILD_DIR) build-mutants
