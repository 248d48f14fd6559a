# The two commands everything starts from: `make demo` and `make test`.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
WINDOWS_BUILD ?= build-windows
# ccache, when installed, lets a second build folder or a clean clone reuse earlier compiles.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

.PHONY: deps build build-asan test fuzz test-windows windows windows-package screenshot-windows demo screenshot package clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) > /dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Sanitizer configuration (AddressSanitizer + UndefinedBehaviorSanitizer, clang for libFuzzer).
build-asan: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSW_SANITIZE=ON -DSW_BENCHMARKS=OFF -DSW_FUZZ_SECONDS= $(LAUNCHER) > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

test: build build-asan
	@echo "== tests (sanitizers) =="
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)
	@echo "== tests =="
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every libFuzzer target of the sanitizer build for FUZZ_TIME seconds, one at a time and at a
# lower priority, with its seeds and its format's dictionary; new inputs that reach further
# collect in $(ASAN_BUILD)/fuzz/<target>.corpus.
FUZZ_TIME ?= 60
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSW_SANITIZE=ON -DSW_BENCHMARKS=OFF -DSW_FUZZ_SECONDS=$(FUZZ_TIME) $(LAUNCHER) > /dev/null
	@nice -n 10 cmake --build $(ASAN_BUILD) --target fuzzers -j $(JOBS)
	@cd $(ASAN_BUILD) && nice -n 10 ctest -L fuzz --output-on-failure -j 1

# The whole program cross-built for Windows and tested under Wine (scripts/test-windows.sh).
test-windows:
	@JOBS=$(JOBS) bash scripts/test-windows.sh $(WINDOWS_BUILD)

# The two Windows programs alone: $(WINDOWS_BUILD)/bin/Sheetweaver.exe and sheetweaver-convert.exe.
windows:
	@JOBS=$(JOBS) bash scripts/build-windows.sh $(WINDOWS_BUILD)

# The Windows release: Sheetweaver-<version>-win64.zip and its NSIS installer.
windows-package: windows
	@bash packaging/windows/make-package.sh $(WINDOWS_BUILD)

# docs/mainwindow-windows.png and -en.png: the window as Windows draws it, under Wine.
screenshot-windows: windows
	@bash scripts/windows-window-check.sh $(WINDOWS_BUILD) --screenshot-only

demo: build
	@bash scripts/demo.sh $(BUILD)

screenshot: build
	@bash scripts/screenshot.sh $(BUILD)

# The Debian package of the normal build: $(BUILD)/sheetweaver_<version>_<arch>.deb.
package: build
	@cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD) $(WINDOWS_BUILD)-i686 out
