# Korvanta: set-up, build, run and test on Debian 12.
#   make run    install what is missing, build (Release) and start Korvanta on the example data
#   make test   install what is missing, build and run every test through CTest, then every
#               fuzz target for 30 s on its seeds and kept regression inputs
#   make package  build the Debian package of this machine's release in a clean root:
#               $(BUILD_DIR)/korvanta_<version>~deb<NN>u1_<arch>.deb
#   make portable build the portable folder korvanta-<version>-linux-<arch>.tar.gz in $(BUILD_DIR)/
#   make fuzz   the fuzz targets only, FUZZ_SECONDS (300) each: make fuzz FUZZ_SECONDS=3600

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 300

.PHONY: all deps build run test package portable sanitize fuzz fuzz-build bench screenshots format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKORVANTA_WERROR=ON
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "make run: no display found; to try Korvanta headless, run: xvfb-run make run"; \
		exit 1; \
	fi
	cd $(BUILD_DIR)/bin && ./Korvanta

test: build fuzz-build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)
	bash fuzz/run.sh $(FUZZ_DIR) 30

# The Debian package of the Debian release this machine runs, built through debian/ as Debian
# builds packages: in a clean root of that release made fresh (the sources of the work tree
# copied in, `apt-get build-dep`, `dpkg-buildpackage -b`), which is removed afterwards; the
# package, named for the release (~deb12u1, ~deb13u1), is copied to $(BUILD_DIR)/. Needs root and
# the network. Install it with
#   sudo apt install ./$(BUILD_DIR)/korvanta_<version>~deb<NN>u1_<arch>.deb
package: deps
	bash scripts/build-package.sh $(BUILD_DIR)

# The portable folder for other distributions, as a tarball: the Release build with the Qt
# libraries and plugins it loads (scripts/make-portable.sh says what is bundled and what not).
portable: build
	bash scripts/make-portable.sh $(BUILD_DIR)

# libFuzzer targets (clang, AddressSanitizer, UBSan) in a build folder of their own.
fuzz-build: deps
	cmake -S fuzz -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++-19 -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j$(JOBS)

fuzz: fuzz-build
	bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# The unit and GUI tests again, built with AddressSanitizer and UBSan (any finding fails).
sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j$(JOBS)
	ctest --preset sanitize -j$(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && QT_QPA_PLATFORM=offscreen "$$b"; done

screenshots: build
	bash scripts/screenshots.sh $(BUILD_DIR)/bin/Korvanta

format:
	git ls-files -- '*.cpp' '*.h' | xargs clang-format-19 -i

clean:
	rm -rf $(BUILD_DIR) build-sanitize $(FUZZ_DIR)
