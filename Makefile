# Two commands do everything: `make demo` and `make test`. Both install what they need first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-windows
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=
# Every build goes through the compiler launcher given in the environment, else ccache when present.
LAUNCHER ?= $(or $(CMAKE_CXX_COMPILER_LAUNCHER),$(shell command -v ccache 2>/dev/null))
LAUNCH_FLAGS = $(if $(LAUNCHER),-DCMAKE_C_COMPILER_LAUNCHER=$(LAUNCHER) -DCMAKE_CXX_COMPILER_LAUNCHER=$(LAUNCHER))

.PHONY: all deps build build-asan demo test test-native test-asan bench clean deps-windows build-windows \
        test-windows

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMENAR_WERROR=ON $(LAUNCH_FLAGS) $(CMAKE_FLAGS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DLUMENAR_WERROR=ON -DLUMENAR_SANITIZE=ON \
	      -DLUMENAR_BENCH=OFF $(LAUNCH_FLAGS) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-native: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

deps-windows:
	@tools/install-deps.sh --windows

$(WIN_BUILD)/CMakeCache.txt: | deps-windows
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
	      -DLUMENAR_WERROR=ON $(LAUNCH_FLAGS) $(CMAKE_FLAGS)

# The 32-bit Windows module and its host twin, cross-built.
build-windows: deps-windows $(WIN_BUILD)/CMakeCache.txt
	cmake --build $(WIN_BUILD) -j $(JOBS)

# Checks the cross-built binaries natively (exports, resources, imports), then runs them under wine
# (installed by deps-windows where possible): the backend self-check, the About box, the reports, and
# the Windows host's output against the native build's on the samples and on random documents.
test-windows: build build-windows
	$(BUILD)/tests/windows_dll_check $(WIN_BUILD)/Lumenar5.dll $(WIN_BUILD)/tools/win/lumenar.exe
	tools/win/wine-compare.sh $(BUILD) $(WIN_BUILD)

# Builds and runs every test: the native build, the sanitizer build, then the Windows build.
test: test-native test-asan test-windows

demo: build
	$(BUILD)/tools/lumenar flatten examples/showcase.lmn examples/showcase.png

# One table of the speed goals: the blend loops beside pixman's (installed here for the benchmark only)
# and the end-to-end read beside memcpy. The Google Benchmark programs in $(BUILD)/bench run on their own.
bench: deps $(BUILD)/CMakeCache.txt
	@[ -x /usr/bin/time ] || apt-get install -y -qq --no-install-recommends time >/dev/null
	@dpkg-query -W -f='$${Status}' libpixman-1-dev 2>/dev/null | grep -q 'install ok installed' || \
	    { apt-get install -y -qq --no-install-recommends libpixman-1-dev >/dev/null && cmake $(BUILD) >/dev/null; }
	@cmake --build $(BUILD) -j $(JOBS) >/dev/null
	@$(BUILD)/bench/bench_summary --tool $(BUILD)/tools/lumenar --generator $(BUILD)/tools/make_flatten_document

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD)
