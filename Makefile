# Front door: `make run` and `make test` set up the machine (once), build and
# then run the main job or the tests. Everything lands in build/.
BUILD := build
CMAKE_FLAGS := -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
JOBS := $(shell nproc 2>/dev/null || echo 2)
# The prefix's Wine server, kept for 30 s after its last program ends.
WINE_UP := wineserver -p30 >/dev/null 2>&1; wine cmd /c exit >/dev/null 2>&1 </dev/null

.PHONY: all setup build test run bench bench-dialog soak format clean

all: build

setup:
	@./scripts/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Tests that share nothing run side by side, one per core; what they share
# is locked per test (tests/CMakeLists.txt). CTest prints each test's time.
# The Wine server and Wine's background programs start first, outside CTest:
# started by a test, they would hold its output open, and CTest would count
# that test as running until the server ended.
test: build
	./scripts/with-display.sh sh -c '$(WINE_UP); ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)'

run: build
	./scripts/with-display.sh ./scripts/run-main.sh

# Figures only, never a pass or fail: every benchmark, one table.
bench: build
	./scripts/with-display.sh python3 scripts/bench-table.py --build $(BUILD) $(BENCH_ARGS)

# The dialog benchmark alone, with its full breakdown; BENCH_ARGS="--rounds 20" etc.
bench-dialog: build
	./scripts/with-display.sh wine $(BUILD)/dialog_bench.exe $(BENCH_ARGS)

# 1000 Execute/close cycles, 200 scans, 1000 load/unload cycles; SOAK_ARGS="--cycles 100" etc.
soak: build
	./scripts/with-display.sh wine $(BUILD)/soak.exe $(SOAK_ARGS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	cmake --build $(BUILD) --target clean
