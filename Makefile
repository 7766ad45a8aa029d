# Everyday targets. ./build.sh TARGET installs what a target needs first (Debian 12).
#
#   make demo          build the quillet command and convert the bundled samples
#   make test          every test: native (ASan+UBSan), Windows under Wine, fuzzers
#   make test-native   the native tests only (quick)
#   make test-windows  the Windows build's tests under Wine only
#   make fuzz          the fuzz targets, for a bounded number of inputs
#   make bench         the benchmarks: the parts, then whole commands on generated texts
#   make clean

BUILD    ?= build
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
CMAKE    := cmake -G "$(GENERATOR)" -Wno-dev

.PHONY: demo release-build native windows fuzz-build bench-build tsan-build test test-native \
        test-windows test-tsan fuzz bench clean

demo: release-build
	@sh tools/demo.sh $(BUILD)/release/cli/quillet samples

release-build:
	@$(CMAKE) -S . -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DQUILLET_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)/release --target quillet quillet-docs -j $(JOBS)

native:
	@$(CMAKE) -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/native -j $(JOBS)

windows:
	@$(CMAKE) -S . -B $(BUILD)/windows -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
	@cmake --build $(BUILD)/windows -j $(JOBS)

fuzz-build:
	@CC=clang CXX=clang++ $(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUILLET_FUZZ=ON >/dev/null
	@cmake --build $(BUILD)/fuzz -j $(JOBS)

bench-build:
	@$(CMAKE) -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DQUILLET_TESTS=OFF \
	  -DQUILLET_BENCH=ON >/dev/null
	@cmake --build $(BUILD)/bench -j $(JOBS)

# The threaded code under ThreadSanitizer.
tsan-build:
	@$(CMAKE) -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_TSAN=ON >/dev/null
	@cmake --build $(BUILD)/tsan --target tsan_tests -j $(JOBS)

test-tsan: tsan-build
	@cd $(BUILD)/tsan && ctest --output-on-failure

# One CTest run over all four builds, so the last line is one summary for everything.
test: native windows fuzz-build tsan-build
	@printf 'subdirs("native" "windows" "fuzz" "tsan")\n' > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

test-native: native
	@cd $(BUILD)/native && ctest -j $(JOBS) --output-on-failure

test-windows: windows
	@cd $(BUILD)/windows && ctest --output-on-failure

fuzz: fuzz-build
	@cd $(BUILD)/fuzz && ctest -j $(JOBS) --output-on-failure

bench: bench-build release-build
	@for b in $(BUILD)/bench/bench/bench_*; do echo "== $$b"; $$b; done
	@echo "== whole commands (bench/commands.py)"; python3 bench/commands.py $(BUILD)

clean:
	rm -rf $(BUILD)

# Release artefacts: build/release/quillet_*.deb and build/windows/quillet-maker-*-windows.zip
.PHONY: release package-deb package-windows
release: package-deb package-windows

package-deb: release-build
	@cd $(BUILD)/release && cpack -G DEB >/dev/null && ls -1 $(CURDIR)/$(BUILD)/release/*.deb

package-windows: windows
	@cd $(BUILD)/windows && cpack -G ZIP >/dev/null && ls -1 $(CURDIR)/$(BUILD)/windows/*.zip

# Pictures of every dialog (docs/screenshots/), taken under Xvfb.
.PHONY: screenshots
screenshots: windows
	@cmake --build $(BUILD)/windows --target dialog-gallery
	@sh tools/screenshots.sh $(BUILD)/windows

# The release packages installed and used on a fresh Debian 12 (as root; needs the network).
.PHONY: check-packages
check-packages: release
	@bash tools/check-packages.sh $(BUILD)
