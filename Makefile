# Textovrt: `make run` builds and starts the program, `make test` builds both builds, runs
# every test and compiles the Release type of both. Both install what is missing first.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# The project's own builds treat warnings as errors; a plain cmake build keeps them warnings.
WERROR := -DTEXTOVRT_WERROR=ON

.PHONY: all deps native asan win release-build run test test-native test-asan test-win \
        screenshots soak fuzz bench skin-preview format clean

all: native win

deps:
	@bash scripts/deps.sh

# Configuring every time is cheap and picks up areas and files that appeared since.
native:
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build/native -j $(JOBS)

asan:
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DTEXTOVRT_SANITIZE=ON $(WERROR) \
	  $(CMAKE_FLAGS) >/dev/null
	cmake --build build/asan -j $(JOBS)

win:
	cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build/win -j $(JOBS)

# Every target of both toolchains in the Release type, which optimises harder and so warns
# where the other builds do not; built, not tested. The Windows build packs its skin with the
# native kvskin just built.
release-build:
	cmake -S . -B build/release-native -DCMAKE_BUILD_TYPE=Release $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build/release-native -j $(JOBS)
	cmake -S . -B build/release-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release $(WERROR) \
	  -DTEXTOVRT_HOST_KVSKIN=$(CURDIR)/build/release-native/tools/kvskin/kvskin \
	  $(CMAKE_FLAGS) >/dev/null
	cmake --build build/release-win -j $(JOBS)

test-native: native
	cd build/native && ctest --output-on-failure -j $(JOBS)

test-asan: asan
	cd build/asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) -LE bench

test-win: win
	bash scripts/with-xvfb.sh bash scripts/test-win.sh

test: deps
	$(MAKE) test-native
	$(MAKE) test-asan
	$(MAKE) test-win
	$(MAKE) release-build

run: deps win
	bash scripts/run.sh

# The full soak of the running program (CI runs it with smaller counts inside make test).
soak: deps win
	TEXTOVRT_SOAK=full bash scripts/with-xvfb.sh bash scripts/test-win.sh -R '^test_soak$$' -V

screenshots: deps win
	bash scripts/with-xvfb.sh bash scripts/screenshots.sh

skin-preview: deps native
	bash scripts/skin-preview.sh

fuzz: deps
	bash scripts/fuzz.sh

bench: deps native win
	bash scripts/bench.sh

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
