# make demo  - run horalux.exe under Wine against the simulated GPS clock
# make test  - build everything and run all tests (native, Wine, end to end)
# make bench - figures: one attempt's phases, the accuracy of the sets, the program's CPU and memory, the time provider's latencies
# make dist  - build/dist/horalux-<version>-x64.msi and .zip, checked
# make mutate - apply tests/mutations.txt one slip at a time: do the native tests notice?

BUILD    ?= build
NATIVE   := $(BUILD)/native
TSAN     := $(BUILD)/tsan
WIN32DIR := $(BUILD)/win32
LOGS     := $(BUILD)/logs
JOBS     ?= $(shell nproc)

.PHONY: all deps build test demo bench dist mutate clean

all: build

deps:
	@HORALUX_LOGS=$(abspath $(LOGS)) scripts/install-deps.sh

# One line per stage; the build's own output goes to $(LOGS) and is shown
# only when a stage fails.
build: deps
	@scripts/stage.sh $(LOGS)/native.log "building native (AddressSanitizer)" sh -c '\
	  cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DHORALUX_SANITIZE=address && \
	  cmake --build $(NATIVE) -j $(JOBS)'
	@scripts/stage.sh $(LOGS)/tsan.log "building tsan (ThreadSanitizer)" sh -c '\
	  cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=Debug -DHORALUX_SANITIZE=thread && \
	  cmake --build $(TSAN) -j $(JOBS)'
	@scripts/stage.sh $(LOGS)/win32.log "building win32 (mingw-w64)" sh -c '\
	  cmake -S . -B $(WIN32DIR) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DHORALUX_TOOLS_DIR=$(abspath $(NATIVE))/tools && \
	  cmake --build $(WIN32DIR) -j $(JOBS)'

# One ctest over the three trees, so one summary line counts every test.
test: build
	@mkdir -p $(BUILD)/all
	@printf 'subdirs("%s")\n' $(abspath $(NATIVE)) $(abspath $(TSAN)) $(abspath $(WIN32DIR)) \
	  >$(BUILD)/all/CTestTestfile.cmake
	@echo "running the tests (native, tsan, win32 under Wine, end to end)..."
	@cd $(BUILD)/all && ctest --output-on-failure

demo: build
	@scripts/demo.sh $(abspath $(WIN32DIR)) $(abspath $(NATIVE))/tools

bench: build
	@scripts/bench-sync.sh 20
	@scripts/bench-accuracy.sh 200
	@scripts/bench-app.sh 60
	@scripts/bench-service.sh 1000
	@scripts/bench-timeprov.sh

# Only the program and its time provider are built; the packaging script checks what it made and
# its last line gives the sizes.
dist: deps
	@scripts/stage.sh $(LOGS)/dist-build.log "building horalux.exe and its time provider (mingw-w64)" sh -c '\
	  cmake -S . -B $(WIN32DIR) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DHORALUX_TOOLS_DIR=$(abspath $(NATIVE))/tools && \
	  cmake --build $(WIN32DIR) --target horalux horalux_timeprov -j $(JOBS)'
	@scripts/stage.sh $(LOGS)/dist.log "packing and checking the MSI and the zip" scripts/dist.sh $(WIN32DIR) $(BUILD)/dist
	@tail -n 1 $(LOGS)/dist.log

# Not part of test: one native rebuild and test run per slip.
mutate: deps
	@scripts/mutate.sh

clean:
	rm -rf $(BUILD)
