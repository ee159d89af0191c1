# Two commands do everything: `make demo` and `make test`. Both install what they need first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-windows
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = document packbits resources layer_record adjustment effects writer
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=
# Every build goes through the compiler launcher given in the environment, else ccache when present.
LAUNCHER ?= $(or $(CMAKE_CXX_COMPILER_LAUNCHER),$(shell command -v ccache 2>/dev/null))
LAUNCH_FLAGS = $(if $(LAUNCHER),-DCMAKE_C_COMPILER_LAUNCHER=$(LAUNCHER) -DCMAKE_CXX_COMPILER_LAUNCHER=$(LAUNCHER))

.PHONY: all deps build build-asan demo test test-native test-asan bench clean deps-windows build-windows \
        test-windows fuzz build-fuzz

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

# The libFuzzer targets (fuzz/), built with clang and the sanitizers in their own build folder. `make fuzz`
# seeds each target's corpus in $(FUZZ_BUILD)/corpus/<target> and runs the targets one after the other
# for FUZZ_SECONDS each, in a scratch folder (the document target creates its scratch file there). A run
# goes on past a crash or hang; the inputs land in $(FUZZ_BUILD)/findings/<target> and make fails at the
# end when there are any. Keep each under tests/data/fuzz/<target>/ once the engine is fixed.
$(FUZZ_BUILD)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMENAR_FUZZ=ON \
	    -DLUMENAR_TESTS=OFF -DLUMENAR_BENCH=OFF -DLUMENAR_TOOLS=OFF $(CMAKE_FLAGS)

build-fuzz:
	@tools/install-deps.sh --fuzz
	@$(MAKE) --no-print-directory $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: build-fuzz
	@set -e; cd $(FUZZ_BUILD); rm -rf findings; \
	for t in $(FUZZ_TARGETS); do mkdir -p corpus/$$t findings/$$t; cp $(CURDIR)/fuzz/seeds/$$t/* corpus/$$t/; done; \
	./fuzz/fuzz_seeds $(CURDIR)/examples/showcase.lmn corpus; \
	mkdir -p run; cd run; \
	for t in $(FUZZ_TARGETS); do \
	  case $$t in document|writer|layer_record) len=65536;; *) len=8192;; esac; \
	  echo "== fuzz_$$t ($(FUZZ_SECONDS) s)"; \
	  ../fuzz/fuzz_$$t ../corpus/$$t -max_len=$$len -rss_limit_mb=2048 -timeout=10 -fork=1 -ignore_crashes=1 \
	      -ignore_timeouts=1 -ignore_ooms=1 -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=../findings/$$t/ \
	      > ../fuzz-$$t.log 2>&1; \
	  grep -E '^#[0-9]+: cov' ../fuzz-$$t.log | tail -n 1; \
	done; \
	cd ..; found=$$(find findings -type f | sort); \
	if [ -n "$$found" ]; then echo "fuzz: inputs that crashed or hung:"; echo "$$found"; exit 1; fi
