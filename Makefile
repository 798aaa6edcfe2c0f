# make run  - build and run tarnwick against the built-in simulated session
# make test - build and run every test
# make asan-test / tsan-test - the tests under sanitizers
# make bench - build and run the benchmarks (release build)

BUILD ?= build
ARGS ?= --diagnose
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test asan-test tsan-test bench clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/tarnwick $(ARGS)

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

clean:
	rm -rf build build-asan build-tsan build-bench
