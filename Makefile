# Front door. `make run` and `make test` install what is missing (scripts/bootstrap).
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
GENERATOR := -G Ninja

# Use ccache when the machine has it (it is not required): worktrees and clean
# clones of the same sources then share compiled objects.
ifneq ($(shell command -v ccache 2>/dev/null),)
export CCACHE_BASEDIR ?= $(abspath $(CURDIR)/..)
export CCACHE_NOHASHDIR ?= 1
export CMAKE_C_COMPILER_LAUNCHER ?= ccache
export CMAKE_CXX_COMPILER_LAUNCHER ?= ccache
LAUNCHER_FLAGS := -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
endif

.PHONY: all bootstrap build run run-windows test windows installer asan tsan fuzz bench soak clean

all: build

bootstrap:
	@scripts/bootstrap

# BUILD_TARGETS: build only these targets (and what they need), e.g. core_tests.
BUILD_TARGETS ?=
build: bootstrap
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER_FLAGS) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) $(if $(BUILD_TARGETS),--target $(BUILD_TARGETS))

# CTEST_EXCLUDE: a regular expression of test names to leave out, e.g.
# `make asan CTEST_EXCLUDE='tst_ui_fit|demo_run'`.
CTEST_EXCLUDE ?=
test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300 \
		$(if $(CTEST_EXCLUDE),--exclude-regex '$(CTEST_EXCLUDE)')

# DEMO_PLATFORM=windows: the Windows build under Wine (as `make run-windows`).
DEMO_PLATFORM ?= linux
ifeq ($(DEMO_PLATFORM),windows)
run: run-windows
else
run: build
	@scripts/run-demo $(BUILD)
endif

# The Windows leg: everything cross-built with mingw-w64 and Qt for mingw, the
# shipping folder build-win/shipping, every test under Wine (scripts/windows-leg).
windows: bootstrap
	@scripts/windows-leg

# The Windows installer build-win/ostrel/installer/OSTREL_Streaming_Assistant_Setup_<version>.exe,
# made with makensis from the shipping folder (installer/).
installer: bootstrap
	@scripts/windows-leg --installer

# The Windows program in the Windows demo world under Wine (scripts/run-demo-windows).
run-windows: bootstrap
	@scripts/windows-leg --build-only
	@scripts/run-demo-windows

# Run-time options of the sanitized suites. The suppression files list only
# third-party libraries and frames, each with its reason.
SANITIZER_FILES := $(abspath scripts/sanitizers)
asan: export ASAN_OPTIONS := detect_leaks=1
asan: export LSAN_OPTIONS := suppressions=$(SANITIZER_FILES)/lsan.supp:print_suppressions=0
asan: export UBSAN_OPTIONS := print_stacktrace=1:halt_on_error=1
tsan: export TSAN_OPTIONS := suppressions=$(SANITIZER_FILES)/tsan.supp:print_suppressions=0:halt_on_error=0

ASAN_CMAKE_FLAGS := -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DOSTREL_SANITIZE=address,undefined
# SANITIZE_SCOPE=core: `make asan` and `make tsan` build and run only the
# library's tests and the assistant's tests without a user interface (CI's
# choice, to stay within its time); the default runs the whole suite.
SANITIZE_SCOPE ?= all
UI_TESTS := tst_ui_|tst_quick_pages|tst_translations|tst_program|demo_
# The checks of the project's shell scripts run no sanitized code.
SCRIPT_TESTS := ^bootstrap$$|^qt_mingw$$|^check_pe_imports$$
ifeq ($(SANITIZE_SCOPE),core)
SANITIZE_ARGS := BUILD_TARGETS=core_tests CTEST_EXCLUDE='$(UI_TESTS)|$(SCRIPT_TESTS)'
else
SANITIZE_ARGS :=
endif

asan:
	@$(MAKE) test $(SANITIZE_ARGS) BUILD=build-asan CMAKE_FLAGS="$(ASAN_CMAKE_FLAGS)"

tsan:
	@$(MAKE) test $(SANITIZE_ARGS) BUILD=build-tsan CMAKE_FLAGS="-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DOSTREL_SANITIZE=thread"

# The controller's soak (assistant/soak/) in the ASan build: only the program
# and the simulators it drives are built; LeakSanitizer reports at its exit.
SOAK_TARGETS := soak_controller fake-steam fake-adb streamer-sim
soak: export ASAN_OPTIONS := detect_leaks=1
soak: export LSAN_OPTIONS := suppressions=$(SANITIZER_FILES)/lsan.supp:print_suppressions=0
soak: export UBSAN_OPTIONS := print_stacktrace=1:halt_on_error=1
soak: bootstrap
	@cmake -S . -B build-asan $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER_FLAGS) $(ASAN_CMAKE_FLAGS) >/dev/null
	@cmake --build build-asan -j $(JOBS) --target $(SOAK_TARGETS)
	@build-asan/assistant/soak_controller

fuzz: bootstrap
	@scripts/fuzz

bench: build
	@$(BUILD)/nerevnet/tools/nerevnet_bench
	@$(BUILD)/assistant/bench_control_idle
	@QT_QPA_PLATFORM=offscreen $(BUILD)/assistant/bench_controller_stalls_sleeping
	@QT_QPA_PLATFORM=offscreen $(BUILD)/assistant/bench_controller_stalls

clean:
	rm -rf build build-asan build-tsan build-fuzz build-win
