# The two commands of the project: `make run` and `make test`; `make install`
# for a server. All install what is missing first (scripts/ensure-deps.sh).

BUILD_DIR ?= build
TEST_BUILD_DIR ?= build-test
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build test run bench install clean format

all: build

deps:
	@bash scripts/ensure-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROYAUMES_TESTS=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Runs the server in run/, a copy of the shipped game directory game/ made on
# first use (the server writes its players there; game/ is never written).
run: build
	@if [ ! -d run ]; then cp -R game run && echo "Prepared run/ from game/"; fi
	cd run && ../$(BUILD_DIR)/royaumes-server

# Latency, throughput and memory of the optimised server under 1, 10 and 100
# clients, each count against a fresh server in a temporary copy of game/,
# against the floor of a loopback echo; then 100 clients logging in at once,
# the pause of a save on SIGUSR1 and the greeting after a burst of 2000
# connections (docs/PERFORMANCE.md). Uses port 9090 for one to two minutes.
bench: build
	$(BUILD_DIR)/royaumes-bench --server-cmd $(BUILD_DIR)/royaumes-server --game game

# The server, the account and map tools, the shipped game directory as a
# template (PREFIX/share/royaumes/game), the guides and the service unit
# (PREFIX/lib/systemd/system/royaumes.service), under DESTDIR when given.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The whole test suite, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test: deps
	cmake -S . -B $(TEST_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DROYAUMES_SANITIZE=ON -DROYAUMES_TESTS=ON
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS)
	cd $(TEST_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

format:
	find src tests tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(TEST_BUILD_DIR)
