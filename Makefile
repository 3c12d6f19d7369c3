# Two commands for a fresh Debian machine: `make run` and `make test`.
SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all build native win cef2623 test run deps clean fuzz bench dist dist-standin

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

# Checks that the launcher is the build on the real 2623 SDK
# (make test runs it as the cef2623 suite; CEF2623=<folder> names another copy).
cef2623: win
	@scripts/check-cef2623.sh $(BUILD)

# The per-user installer and the zip for players, in $(BUILD)/dist: the 32-bit
# build with the CEF 3.2623 runtime of CEF_RUNTIME=<unpacked binary
# distribution> (scripts/make-dist.sh packs what dist/ describes). Without
# CEF_RUNTIME, make-dist.sh refuses at once, before anything is built.
dist:
	@[ -n "$(CEF_RUNTIME)" ] || scripts/make-dist.sh $(BUILD)/win $(BUILD)/dist
	@$(MAKE) --no-print-directory deps win
	@CEF_RUNTIME="$(CEF_RUNTIME)" scripts/make-dist.sh $(BUILD)/win $(BUILD)/dist

# Test packages with the stand-in engine (no web renderer), named -standin, in
# $(BUILD)/dist.
dist-standin: deps win
	@scripts/make-dist.sh --standin $(BUILD)/win $(BUILD)/dist

test: build
	@scripts/run-tests.sh $(BUILD)

run: deps win
	@scripts/run.sh $(BUILD)

# Not part of `make test`: each target runs for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps.sh fuzz
	cmake -S . -B $(BUILD)/fuzz -G Ninja -DZLM_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
	cmake --build $(BUILD)/fuzz -j $(JOBS)
	@for f in $(BUILD)/fuzz/fuzz/*_fuzz; do echo "== $$f"; $$f -max_total_time=$(FUZZ_SECONDS) || exit 1; done

# Not part of `make test`: every benchmark in bench/ on the 32-bit tree under
# Wine, like `make run` (a private Xvfb without $DISPLAY); ends with a table of ratios.
bench: deps win
	@bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
