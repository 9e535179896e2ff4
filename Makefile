# make run   - install what is missing, build, start the tool
# make test  - install what is missing, build, run the whole test suite headless
# SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan.

SANITIZE ?=
ifeq ($(SANITIZE),1)
BUILD ?= build-asan
CMAKE_FLAGS += -DVX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else
BUILD ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench package fuzz clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

run: build
	@scripts/run.sh $(BUILD)/bin/vornix-support

clean:
	rm -rf build build-asan

# make bench   - build, then measure start-up, key-to-speech latency, file
#                reading and memory; writes $(BUILD)/bench/results.json
bench: build
	@python3 bench/run_bench.py --build $(BUILD)

# make package - build, then the Debian package $(BUILD)/vornix-support_*.deb
package: build
	@cd $(BUILD) && cpack -G DEB

# make fuzz-build - build the libFuzzer targets with clang in build-fuzz
# make fuzz       - run each target for FUZZ_SECONDS (default 60): executions and
#                   findings per target; fails on any finding
FUZZ_SECONDS ?= 60
.PHONY: fuzz-build
fuzz-build: deps
	@scripts/install-deps.sh scripts/debian-packages-fuzz.txt
	@scripts/fuzz.sh build

fuzz: fuzz-build
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh run
