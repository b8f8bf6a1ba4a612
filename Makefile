# Front door: `make` builds the plugin into dist/, `make run` shows it in the simulated host,
# `make test` checks it. Each installs what is missing first.

PRESET ?= mingw-gcc
BUILD := build/$(PRESET)
VERSION := $(shell sed -n 's/^project.Tarnwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
export WINEPREFIX := $(CURDIR)/build/wineprefix

.PHONY: all deps build run test bench screenshot clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)
# The GCC build is the one players get; other presets stay in their build folders.
ifeq ($(PRESET),mingw-gcc)
	cmake --install $(BUILD) --prefix dist >/dev/null
	cd dist && sha256sum Tarnwick.dll Tarnwick-$(VERSION).zip >SHA256SUMS
	@echo "built dist/Tarnwick.dll and dist/Tarnwick-$(VERSION).zip; their SHA-256 in dist/SHA256SUMS:"
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
