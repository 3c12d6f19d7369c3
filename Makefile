# Two commands for a fresh Debian machine: `make run` and `make test`.
SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all build native win test run deps clean fuzz

all: build

deps:
	@scripts/install-deps.sh

build: deps native win

native:
	cmake -S . -B $(BUILD)/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZLM_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(BUILD)/native -j $(JOBS)

win:
	cmake -S . -B $(BUILD)/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake $(CMAKE_ARGS)
	cmake --build $(BUILD)/win -j $(JOBS)

test: build
	@scripts/run-tests.sh $(BUILD)

run: deps win
	@scripts/run.sh $(BUILD)/win/ZelmoraLauncher.exe

# Not part of `make test`: each target runs for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps.sh fuzz
	cmake -S . -B $(BUILD)/fuzz -G Ninja -DZLM_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
	cmake --build $(BUILD)/fuzz -j $(JOBS)
	@for f in $(BUILD)/fuzz/fuzz/*_fuzz; do echo "== $$f"; $$f -max_total_time=$(FUZZ_SECONDS) || exit 1; done

clean:
	rm -rf $(BUILD)
