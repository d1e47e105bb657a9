# make demo  - run horalux.exe under Wine against the simulated GPS clock
# make test  - build everything and run all tests (native, Wine, end to end)
# make bench - figures: one attempt's phases, the program's CPU and memory
# make dist  - build/dist/horalux-<version>-x64.msi and .zip, checked
# make mutate - apply tests/mutations.txt one slip at a time: do the native tests notice?

BUILD    ?= build
NATIVE   := $(BUILD)/native
TSAN     := $(BUILD)/tsan
WIN32DIR := $(BUILD)/win32
JOBS     ?= $(shell nproc)

.PHONY: all deps build test demo bench dist mutate clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DHORALUX_SANITIZE=address >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)
	@cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=Debug -DHORALUX_SANITIZE=thread >/dev/null
	@cmake --build $(TSAN) -j $(JOBS)
	@cmake -S . -B $(WIN32DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DHORALUX_TOOLS_DIR=$(abspath $(NATIVE))/tools >/dev/null
	@cmake --build $(WIN32DIR) -j $(JOBS)

# One ctest over the three trees, so one summary line counts every test.
test: build
	@mkdir -p $(BUILD)/all
	@printf 'subdirs("%s")\n' $(abspath $(NATIVE)) $(abspath $(TSAN)) $(abspath $(WIN32DIR)) \
	  >$(BUILD)/all/CTestTestfile.cmake
	@cd $(BUILD)/all && ctest --output-on-failure

demo: build
	@scripts/demo.sh $(abspath $(WIN32DIR)) $(abspath $(NATIVE))/tools

bench: build
	@scripts/bench-sync.sh 20
	@scripts/bench-app.sh 60

# Only the program is built; the packaging script checks what it made.
dist: deps
	@cmake -S . -B $(WIN32DIR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DHORALUX_TOOLS_DIR=$(abspath $(NATIVE))/tools >/dev/null
	@cmake --build $(WIN32DIR) --target horalux -j $(JOBS)
	@scripts/dist.sh $(WIN32DIR) $(BUILD)/dist

# Not part of test: one native rebuild and test run per slip.
mutate: deps
	@scripts/mutate.sh

clean:
	rm -rf $(BUILD)
