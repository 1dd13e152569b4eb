# Thin entry point over CMake. Every target first installs what is missing (Debian packages).
#   make run           build and start the setup (on $DISPLAY, or under a private Xvfb with a screenshot)
#   make test          build everything and run all tests (native and, under Wine, Windows)
#   make unit          only the quick ones (CTest label unit)
#   make e2e           only the end-to-end scenarios
#   make fuzz          the archive reader's fuzzer for VQ_FUZZ_SECONDS (default 300)
#   make build         build only
#   make release       build only what ships: VQSetup.exe and the programs in its archive
#   make reproducible  build what ships twice in two folders and compare it byte for byte
#   make sign          sign what ships (README, "Releasing")
SHELL := /bin/bash
BUILD ?= build
NATIVE := $(BUILD)/native
WIN := $(BUILD)/win
JOBS ?= $(shell nproc)
CTEST := VQ_WINE_CACHE=$(abspath $(BUILD))/wine-template scripts/with-wine ctest --test-dir $(WIN) --output-on-failure

# A tree is configured again only when these differ from what it was configured with (CMake
# itself re-runs when a CMake file changes).
NATIVE_ARGS := -DCMAKE_BUILD_TYPE=Debug
WIN_ARGS := -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVQ_NATIVE_DIR=$(abspath $(NATIVE)) -DPAYLOAD=$(if $(PAYLOAD),$(abspath $(PAYLOAD))) \
    -DARCHIVE=$(if $(ARCHIVE),$(abspath $(ARCHIVE)))

.PHONY: all deps configure build native windows test unit e2e fuzz run screenshots bench release \
    reproducible sign verify-release clean

all: build

deps:
	@bash scripts/deps.sh

configure: deps
	@scripts/configure $(NATIVE) $(NATIVE_ARGS)
	@scripts/configure $(WIN) $(WIN_ARGS)

native: configure
	@cmake --build $(NATIVE) -j $(JOBS)

windows: configure native
	@cmake --build $(WIN) -j $(JOBS)

build: native windows

test: build
	@$(CTEST) -j $(JOBS)

unit: build
	@$(CTEST) -j $(JOBS) -L unit

e2e: build
	@$(CTEST) -j $(JOBS) -L e2e

fuzz: configure
	@cmake --build $(NATIVE) --target pack_file_fuzzer
	@scripts/fuzz $(NATIVE)/fuzz/pack_file_fuzzer $(NATIVE)/fuzz long tests/fuzz/corpus

run: build
	@scripts/run-setup $(WIN)/VQSetup.exe $(BUILD)

# A screen large enough for the window and the widest dialog at 200 %.
screenshots: build
	@VQ_SCREEN=2560x1600x24 VQ_WINE_CACHE=$(abspath $(BUILD))/wine-template scripts/with-wine scripts/screenshots $(WIN) $(BUILD)/screenshots

bench: build
	@bash scripts/deps.sh bench
	@VQ_WINE_CACHE=$(abspath $(BUILD))/wine-template scripts/with-wine scripts/bench $(WIN) $(BUILD)/bench

release: configure
	@cmake --build $(NATIVE) -j $(JOBS) --target vqpack vqstandin
	@cmake --build $(WIN) -j $(JOBS) --target vq_release

reproducible: deps
	@scripts/reproducible $(BUILD)/reproducible

# make sign CERT=cert.pem KEY=key.pem, or make sign PKCS12=signer.p12 with the password in the
# environment variable VQ_SIGN_PASSWORD; TIMESTAMP_URL=... adds an RFC 3161 time stamp.
sign: release
	@VQ_SIGN_CERT=$(if $(CERT),$(abspath $(CERT))) VQ_SIGN_KEY=$(if $(KEY),$(abspath $(KEY))) \
	    VQ_SIGN_PKCS12=$(if $(PKCS12),$(abspath $(PKCS12))) VQ_SIGN_TIMESTAMP_URL=$(TIMESTAMP_URL) \
	    scripts/sign-release sign $(WIN) $(BUILD)/release

# make verify-release RELEASE=VQSetup.exe SIGNATURES=signatures/
verify-release: release
	@scripts/sign-release verify $(WIN) $(abspath $(RELEASE)) $(abspath $(SIGNATURES))

clean:
	rm -rf $(BUILD)
