# make run   - install what is missing, build, start the tool
# make test  - install what is missing, build, run the whole test suite headless
# SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan.
# make windows      - the Windows builds, cross-compiled with MinGW: the 32-bit
#                     program (the one users install) with its zip and installer in
#                     build-windows32, the 64-bit program with its zip in build-windows64
# make test-windows - the Windows tests of both builds, under 32-bit and 64-bit Wine

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
	rm -rf build build-asan build-windows32 build-windows64

WIN_CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=Release
WIN_CMAKE_FLAGS += $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Wine's 32-bit half comes from Debian's i386 architecture, added first.
windows-deps: deps
	@scripts/ensure-i386.sh
	@scripts/install-deps.sh scripts/debian-packages-windows.txt
	@scripts/ensure-locale.sh ja_JP.UTF-8

# Qt for MinGW, one per architecture: see scripts/windows-qt.sh for where it
# is looked for.
windows-configure-%: windows-deps
	@qt=$$(scripts/windows-qt.sh $*) && "$$qt/bin/qt-cmake" -S . -B build-windows$* -G Ninja $(WIN_CMAKE_FLAGS) >/dev/null

windows-configure: windows-configure-32 windows-configure-64

windows: windows-configure
	@cmake --build build-windows32 -j $(JOBS) --target package-windows
	@cmake --build build-windows64 -j $(JOBS) --target package-windows

test-windows: windows-configure
	@for bits in 32 64; do \
	    cmake --build build-windows$$bits -j $(JOBS) && \
	    cmake --build build-windows$$bits -j $(JOBS) --target package-windows >/dev/null || exit 1; \
	done
	@scripts/test-windows.sh build-windows32 build-windows64 -j $(JOBS)

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
