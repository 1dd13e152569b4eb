# Thin entry point over CMake. Every target first installs what is missing (Debian packages).
#   make run     build and start the setup (on $DISPLAY, or under a private Xvfb with a screenshot)
#   make test    build everything and run all tests (native and, under Wine, Windows)
#   make build   build only
SHELL := /bin/bash
BUILD ?= build
NATIVE := $(BUILD)/native
WIN := $(BUILD)/win
JOBS ?= $(shell nproc)

.PHONY: all deps build native windows test run screenshots bench clean

all: build

deps:
	@bash scripts/deps.sh

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

windows: deps native
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
	    -DVQ_NATIVE_DIR=$(abspath $(NATIVE)) -DPAYLOAD=$(if $(PAYLOAD),$(abspath $(PAYLOAD))) \
	    -DARCHIVE=$(if $(ARCHIVE),$(abspath $(ARCHIVE))) >/dev/null
	@cmake --build $(WIN) -j $(JOBS)

build: native windows

test: build
	@scripts/with-wine ctest --test-dir $(WIN) --output-on-failure -j $(JOBS)

e2e: build
	@scripts/with-wine ctest --test-dir $(WIN) --output-on-failure -R '^e2e\.'

run: build
	@scripts/run-setup $(WIN)/VQSetup.exe $(BUILD)

# A screen large enough for the window and the widest dialog at 200 %.
screenshots: build
	@VQ_SCREEN=2560x1600x24 scripts/with-wine scripts/screenshots $(WIN) $(BUILD)/screenshots

bench: build
	@scripts/with-wine scripts/bench $(WIN) $(BUILD)/bench

clean:
	rm -rf $(BUILD)
