# Front door: `make` builds the plugin into dist/, `make run` shows it in the simulated host,
# `make test` checks it. Each installs what is missing first: `make` and `make release` only the
# toolchain, and they build in a folder of their own, build/release, with no tests configured,
# so that a release rebuilds without Wine or the test bed and never shares a build with the
# tests. `make release` builds only what dist/ holds; `make lint` checks the scripts, the C++
# formatting and the workflows.
#
# `make` builds a plugin archive for each SFSE release in sfse-releases.txt. The tests, the demo
# and build/<preset>/bin/Tarnwick.dll are for one of them, SFSE 0.2.18 unless
# TARNWICK_SFSE_VERSION names another row (make test TARNWICK_SFSE_VERSION=0.2.21). For a pair
# the table does not hold, TARNWICK_GAME_VERSION names its game build, and the release holds
# that pair's archive alone.
#
# The checkout may lie in any folder, spaces and parentheses included: every path in a recipe
# is quoted.

PRESET ?= mingw-gcc
BUILD := build/$(PRESET)
# The release's build by the same compiler, without the tests.
RELEASE_PRESET := $(if $(filter mingw-clang,$(PRESET)),release-clang,release)
RELEASE_BUILD := build/$(RELEASE_PRESET)
# The GCC build is the one players get; the Clang one installs into its build folder.
DIST := $(if $(filter mingw-gcc,$(PRESET)),dist,$(RELEASE_BUILD)/dist)
export WINEPREFIX := $(CURDIR)/build/wineprefix
SETTINGS := $(foreach setting,TARNWICK_SFSE_VERSION TARNWICK_GAME_VERSION,\
    $(if $($(setting)),-D$(setting)=$($(setting)),-U$(setting)))

.PHONY: all deps release-deps configure release-configure build release build-all run test \
    bench screenshot lint clean

all: build

deps:
	@scripts/install-deps.sh

release-deps:
	@scripts/install-deps.sh release

configure: deps
	cmake --preset "$(PRESET)" $(SETTINGS) -DTARNWICK_TESTS=ON >/dev/null

release-configure: release-deps
	cmake --preset "$(RELEASE_PRESET)" $(SETTINGS) --no-warn-unused-cli >/dev/null

# dist/ holds exactly what this build installed, so SHA256SUMS lists nothing older.
define install_dist
	rm -rf "$(DIST)"
	cmake --install "$(RELEASE_BUILD)" --prefix "$(CURDIR)/$(DIST)" >/dev/null
	@echo "built $(DIST)/: a plugin archive for each SFSE release, the example archive, BUILDINFO and the SHA-256 of each in SHA256SUMS:"
	@cat "$(DIST)/SHA256SUMS"
endef

build: release-configure
	cmake --build --preset "$(RELEASE_PRESET)"
	$(install_dist)

release: release-configure
	cmake --build --preset "$(RELEASE_PRESET)" --target Tarnwick release_archive
	$(install_dist)

# Everything, the tests and the bench included, in the tests' own build folder.
build-all: configure
	cmake --build --preset "$(PRESET)"

run: build-all
	scripts/run-demo.sh "$(BUILD)"

# The installer's engine is installed before the tests, where it can run. CTEST_ARGS selects
# tests, as CI does by label (-LE release). A skipped test says why in its output, which ctest
# keeps in its log.
test: build-all
	tests/installer/installer_test.sh --install "$(BUILD)/installer-engine"
	ctest --preset "$(PRESET)" $(CTEST_ARGS); status=$$?; wineserver -k 2>/dev/null; \
	    grep -h '^SKIPPED: ' "$(BUILD)/Testing/Temporary/LastTest.log" || true; exit $$status

bench: build-all
	cmake/wine-run.sh "$(BUILD)/bin/bench.exe" "Z:$(CURDIR)/build/bench.json"; \
	    status=$$?; wineserver -k 2>/dev/null; exit $$status

screenshot: build-all
	scripts/screenshot-boxes.sh "$(BUILD)" docs

lint: deps
	scripts/lint.sh

clean:
	-wineserver -k 2>/dev/null
	scripts/clean.sh
