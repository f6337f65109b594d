# gloomfall: the whole set-up is `make run` to play and `make test` to test.
# This file wraps CMake; build folders live under build/.

BUILD    ?= build
JOBS     ?= 2
CMAKE_GEN = -G Ninja
XVFB      = xvfb-run -a -s "-screen 0 1024x768x24"
SAN_ENV   = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0

.PHONY: all deps run test test-plain test-data test-asan test-tsan bench data fuzz install package windows windows-deps web web-deps clean

all: run

# Every group of Debian packages: each target below asks only for the groups
# it uses, as deps-<group>+<group>..., so playing never installs the tools of
# the tests and the cross builds (scripts/install-deps.sh lists the groups).
deps:
	@scripts/install-deps.sh
deps-%:
	@scripts/install-deps.sh $(subst +, ,$*)

# Release build of the game and its data, started from the data folder. The
# benchmarks stay out of it until `make bench` asks for them, so playing
# does not need Google Benchmark.
$(BUILD)/release/build.ninja: CMakeLists.txt | deps-play
	cmake -S . -B $(BUILD)/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DGLOOMFALL_TESTS=OFF

data: deps-play $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release -j$(JOBS) --target data

run: deps-play $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release -j$(JOBS) --target gloomfall data
	cd $(BUILD)/release/data && ../game/gloomfall

# The game, its data, launcher, desktop entry, icon, manual page and
# documents under PREFIX (DESTDIR is honoured, for staging). Install rules may
# name anything the default build makes, as CMake's own install target assumes,
# so both build the whole release tree rather than a list of targets that can
# fall behind the rules.
PREFIX ?= /usr/local
install: deps-play $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release -j$(JOBS)
	cmake --install $(BUILD)/release --prefix $(PREFIX)

# A Debian package of the Release build: $(BUILD)/release/gloomfall_<version>_<arch>.deb
package: deps-play+package $(BUILD)/release/build.ninja
	cmake --build $(BUILD)/release -j$(JOBS)
	cd $(BUILD)/release && cpack -G DEB

# The whole suite twice: a plain build, then every test again under
# AddressSanitizer and UndefinedBehaviorSanitizer. Both run headless. The
# Windows build's tests under Wine run once, in the plain build.
test: deps-play+package+test+windows+web test-plain test-asan test-tsan

# The plain build also plays the Windows build under Wine and the browser
# build in headless Chromium, so it makes those first, and runs `make install`
# and `make package` on the release build.
test-plain: deps-play+package+test+windows+web windows web
	cmake -S . -B $(BUILD)/test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DGLOOMFALL_WINDOWS_DIR=$(CURDIR)/$(BUILD)/windows -DGLOOMFALL_MAKE_BUILD=$(CURDIR)/$(BUILD) \
	  -DGLOOMFALL_WEB_DIR=$(CURDIR)/$(BUILD)/web
	cmake --build $(BUILD)/test -j$(JOBS)
	$(XVFB) ctest --test-dir $(BUILD)/test --output-on-failure -j$(JOBS)

# The game's data as the test build makes it, which the sanitized and cross
# builds read rather than make again; each of them asks for it, so each also
# works alone from a fresh clone.
test-data: deps-play+test
	cmake -S . -B $(BUILD)/test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)/test -j$(JOBS) --target data

# The sanitized build runs the end-to-end tests too, which package the game.
test-asan: deps-play+package+test test-data
	cmake -S . -B $(BUILD)/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOOMFALL_SANITIZE=ON \
	  -DGLOOMFALL_BUILD_DATA=OFF -DGLOOMFALL_DATA_DIR=$(CURDIR)/$(BUILD)/test/data
	cmake --build $(BUILD)/asan -j$(JOBS)
	$(SAN_ENV) $(XVFB) ctest --test-dir $(BUILD)/asan --output-on-failure -j$(JOBS)

# The mixer's lock-free hand-over between the game and mixing threads, and
# the background worker with the threads that hand it jobs, under
# ThreadSanitizer: only the audio and system tests are built and only the
# thread tests run.
test-tsan: deps-play+test test-data
	cmake -S . -B $(BUILD)/tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOOMFALL_TSAN=ON \
	  -DGLOOMFALL_BUILD_DATA=OFF -DGLOOMFALL_DATA_DIR=$(CURDIR)/$(BUILD)/test/data
	cmake --build $(BUILD)/tsan -j$(JOBS) --target audio_tests system_tests
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(BUILD)/tsan --output-on-failure -R "MixerThreads|Background\\."

# The 64-bit Windows game, cross-built with MinGW-w64 against the libraries
# built once from Debian's source packages (by scripts/build-deps.sh, into a
# per-user cache that `make clean` leaves alone; $(BUILD)/windows-deps links to it). Its data is the one the test build
# makes (so `make test` does not make it twice); the self-contained folder is
# installed to $(BUILD)/windows/gloomfall, and packed by CPack as
# $(BUILD)/windows/gloomfall-<version>-win64.zip and an NSIS installer,
# gloomfall-<version>-win64.exe.
WIN_DEPS = $(CURDIR)/$(BUILD)/windows-deps
# Both cross builds build their libraries from the sources of the Linux
# build's own -dev packages, and take the game's data from the test build,
# whose configuration asks for Google Test and X11.
windows-deps: deps-play+windows
	scripts/build-deps.sh windows $(WIN_DEPS)

windows: deps-play+test+windows windows-deps test-data
	cmake -S . -B $(BUILD)/windows $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake -DGLOOMFALL_WINDOWS_DEPS=$(WIN_DEPS) \
	  -DGLOOMFALL_BUILD_DATA=OFF -DGLOOMFALL_DATA_DIR=$(CURDIR)/$(BUILD)/test/data
	cmake --build $(BUILD)/windows -j$(JOBS)
	rm -rf $(BUILD)/windows/gloomfall
	cmake --install $(BUILD)/windows --prefix $(BUILD)/windows/gloomfall
	cd $(BUILD)/windows && cpack

# The game in the browser: WebAssembly from Debian's emscripten, against the
# same libraries built for it by the same script. $(BUILD)/web/gloomfall is the
# folder to serve (index.html, gloomfall.js, .wasm, .data, the icon, licences)
# and $(BUILD)/web/gloomfall-<version>-web.zip the same files for web game
# hosts. The data is the test build's, as for Windows.
WEB_DEPS = $(CURDIR)/$(BUILD)/web-deps
web-deps: deps-play+web
	scripts/build-deps.sh web $(WEB_DEPS)

web: deps-play+test+web web-deps test-data
	cmake -S . -B $(BUILD)/web $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/emscripten.cmake -DGLOOMFALL_WEB_DEPS=$(WEB_DEPS) \
	  -DGLOOMFALL_BUILD_DATA=OFF -DGLOOMFALL_DATA_DIR=$(CURDIR)/$(BUILD)/test/data
	cmake --build $(BUILD)/web -j$(JOBS)

# Every benchmark, start-up time and peak memory, printed as one table. The
# release build keeps its benchmarks from then on.
bench: deps-play+bench $(BUILD)/release/build.ninja
	cmake -S . -B $(BUILD)/release -DGLOOMFALL_BENCH=ON
	cmake --build $(BUILD)/release -j$(JOBS)
	scripts/perf_table.py $(BUILD)/release $(BUILD)/release/data

# Each fuzz target for FUZZ_SECONDS, seeded from the game's own data (the
# release build's) and nothing else built or run.
FUZZ_SECONDS ?= 60
fuzz: deps-play+fuzz data
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DGLOOMFALL_FUZZ=ON -DGLOOMFALL_TESTS=OFF -DGLOOMFALL_BUILD_DATA=OFF
	cmake --build $(BUILD)/fuzz -j$(JOBS)
	scripts/fuzz.sh $(BUILD)/fuzz $(BUILD)/release/data $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
