# make run   - install what is missing, build, start the tool
# make test  - install what is missing, build, run the whole test suite headless
# SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan.
# make windows      - the 64-bit Windows build in build-windows: the program, its
#                     zip and its installer (cross-compiled with MinGW)
# make test-windows - the unit tests of the Windows build, run under Wine

SANITIZE ?=
ifeq ($(SANITIZE),1)
BUILD ?= build-asan
CMAKE_FLAGS += -DVX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else
BUILD ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench package fuzz clean windows-deps windows-configure windows test-windows

all: build

deps:
	@scripts/install-deps.sh
	@scripts/install-jtalk-voice.sh
	@scripts/ensure-locale.sh ja_JP.UTF-8

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

run: build
	@scripts/install-jtalk-module.sh $(BUILD)/bin/sd_vornix-jtalk
	@scripts/run.sh $(BUILD)/bin/vornix-support

clean:
	rm -rf build build-asan build-windows

WINBUILD ?= build-windows
WIN_CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=Release
WIN_CMAKE_FLAGS += $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

windows-deps: deps
	@scripts/install-deps.sh scripts/debian-packages-windows.txt
	@scripts/ensure-locale.sh ja_JP.UTF-8

# Qt for MinGW: see scripts/windows-qt.sh for where it is looked for.
windows-configure: windows-deps
	@qt=$$(scripts/windows-qt.sh) && "$$qt/bin/qt-cmake" -S . -B $(WINBUILD) -G Ninja $(WIN_CMAKE_FLAGS) >/dev/null

windows: windows-configure
	@cmake --build $(WINBUILD) -j $(JOBS) --target package-windows

test-windows: windows-configure
	@cmake --build $(WINBUILD) -j $(JOBS)
	@cmake --build $(WINBUILD) -j $(JOBS) --target package-windows >/dev/null
	@scripts/test-windows.sh $(WINBUILD) -j $(JOBS)

# make bench   - build, then measure start-up, key-to-speech latency, file
#                reading and memory; writes $(BUILD)/bench/results.json; then the
#                Open JTalk module beside espeak-ng: $(BUILD)/bench/jtalk.json
bench: build
	@scripts/install-deps.sh scripts/debian-packages-bench.txt
	@python3 bench/run_bench.py --build $(BUILD)
	@python3 bench/jtalk_bench.py --build $(BUILD)

# make package - build, then the Debian packages $(BUILD)/vornix-support_*.deb and
#                $(BUILD)/speech-dispatcher-vornix-jtalk_*.deb (the Open JTalk module)
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
