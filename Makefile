# make run  - build and run Tarnwick from its bundle (build/Tarnwick.app) against the built-in
#            simulated session, with the console on standard input (ARGS=... passes options;
#            RUN_HOME=... the user's home folder)
# make test - build and run every test
# make asan-test / tsan-test - the tests under sanitizers
# make bench - build and run the benchmarks (release build)
# make fuzz  - build the fuzz targets (clang, libFuzzer) and run each for FUZZ_SECONDS on its seeds

BUILD ?= build
# The user's files of `make run` (preferences, names, logs) stay under the build folder and
# survive between runs; a developer's own home gets no Library folder.
RUN_HOME ?= $(abspath $(BUILD))/home
# The bundled copy, so that the About panel and the update check read its manifest.
RUN_BINARY = $(BUILD)/Tarnwick.app/Contents/MacOS/Tarnwick
ARGS ?=
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_CXX ?= clang++-14
FUZZ_SECONDS ?= 20
FUZZ_SYMBOLIZER ?= /usr/lib/llvm-14/bin/llvm-symbolizer

.PHONY: all deps configure build run test asan-test tsan-test bench fuzz clean

all: build

# What the build prints goes to standard error, so that standard output holds only what the
# program prints (`make run ARGS=--diagnose > snapshot.json` is JSON).
deps:
	@tools/install-deps.sh >&2

$(BUILD)/build.ninja: | deps
	@echo "cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)" >&2
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >&2

configure: $(BUILD)/build.ninja

build: deps configure
	@echo "cmake --build $(BUILD) -j $(JOBS)" >&2
	@cmake --build $(BUILD) -j $(JOBS) >&2

run: build
	@mkdir -p "$(RUN_HOME)"
	@HOME="$(RUN_HOME)" TARNWICK_CONSOLE=1 $(RUN_BINARY) $(ARGS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

asan-test: deps
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DTARNWICK_SANITIZE=address,undefined"

tsan-test: deps
	$(MAKE) test BUILD=build-tsan CMAKE_FLAGS="-DTARNWICK_SANITIZE=thread"

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BENCHMARKS=ON
	cmake --build build-bench -j $(JOBS)
	for b in build-bench/bench/*_bench; do $$b; done

# New inputs go to build-fuzz/corpus/<target>; the seeds in fuzz/corpus/<target> are only read.
# Every target runs even when one before it found something; the run fails at the end then.
fuzz: deps
	@tools/install-deps.sh fuzz
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DTARNWICK_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	@found=""; for seeds in fuzz/corpus/*/; do \
	  name=$$(basename $$seeds); \
	  mkdir -p build-fuzz/corpus/$$name build-fuzz/findings; \
	  echo "== $${name}_fuzzer for $(FUZZ_SECONDS) s"; \
	  ASAN_SYMBOLIZER_PATH=$(FUZZ_SYMBOLIZER) build-fuzz/fuzz/$${name}_fuzzer -max_total_time=$(FUZZ_SECONDS) \
	    -print_final_stats=1 -artifact_prefix=build-fuzz/findings/$$name- build-fuzz/corpus/$$name $$seeds \
	    || found="$$found $${name}_fuzzer"; \
	done; \
	if [ -n "$$found" ]; then echo "== findings of$$found in build-fuzz/findings/"; exit 1; fi

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
