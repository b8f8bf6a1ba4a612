# Front door: `make` builds the plugin into dist/, `make run` shows it in the simulated host,
# `make test` checks it. Each installs what is missing first.
#
# For another SFSE release: make test TARNWICK_SFSE_VERSION=0.2.19 (and TARNWICK_GAME_VERSION
# for the game runtime the record lists). Left out, the defaults in cmake/versions.cmake apply.

PRESET ?= mingw-gcc
BUILD := build/$(PRESET)
export WINEPREFIX := $(CURDIR)/build/wineprefix
SETTINGS := $(foreach setting,TARNWICK_SFSE_VERSION TARNWICK_GAME_VERSION,\
    $(if $($(setting)),-D$(setting)=$($(setting)),-U$(setting)))

.PHONY: all deps build run test bench screenshot clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) $(SETTINGS) >/dev/null
	cmake --build --preset $(PRESET)
# The GCC build is the one players get; other presets stay in their build folders.
ifeq ($(PRESET),mingw-gcc)
	cmake --install $(BUILD) --prefix $(CURDIR)/dist >/dev/null
	scripts/buildinfo.sh >dist/BUILDINFO
	@echo "built dist/: the plugin, the release archive, BUILDINFO and their SHA-256 in SHA256SUMS:"
	@cat dist/SHA256SUMS
endif

run: build
	scripts/run-demo.sh $(BUILD)

test: build
	ctest --preset $(PRESET); status=$$?; wineserver -k 2>/dev/null; exit $$status

bench: build
	cmake/wine-run.sh $(BUILD)/bin/bench.exe Z:$(CURDIR)/build/bench.json; \
	    status=$$?; wineserver -k 2>/dev/null; exit $$status

screenshot: build
	scripts/screenshot-boxes.sh $(BUILD) docs

clean:
	-wineserver -k 2>/dev/null
	rm -rf build dist
