# Front door: `make` builds the plugin into dist/, `make run` shows it in the simulated host,
# `make test` checks it. Each installs what is missing first.

PRESET ?= mingw-gcc
BUILD := build/$(PRESET)
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
	@echo "built dist/Tarnwick.dll and dist/Tarnwick-$$(sed -n 's/^project(Tarnwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt).zip"
endif

run: build
	scripts/run-demo.sh $(BUILD)

test: build
	ctest --preset $(PRESET); status=$$?; wineserver -k 2>/dev/null; exit $$status

bench: build
	cmake/wine-run.sh $(BUILD)/bin/bench.exe Z:$(CURDIR)/build/bench.json; \
	    status=$$?; wineserver -k 2>/dev/null; exit $$status

screenshot: build
	scripts/screenshot-error-box.sh $(BUILD) docs/error-box.png

clean:
	-wineserver -k 2>/dev/null
	rm -rf build dist
