# Two commands do everything on a fresh Debian 12 machine (as root):
#   make run    build, then start zentori.exe under Wine against the sample catalogue
#   make test   build, then run every test (native, fuzz, and under Wine in a virtual display)
# Other targets: build, bench, fuzz, dist, format, clean.

NATIVE := build/native
BENCH := build/bench
WIN := build/win
FUZZ := build/fuzz
CMAKE_GEN := -G Ninja

.PHONY: all setup native bench-build win fuzz-build build prefix test run bench dist format clean

all: build

setup:
	@scripts/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE)

# The native benchmarks are measured without sanitizers.
bench-build: setup
	@cmake -S . -B $(BENCH) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DZENTORI_SANITIZE=OFF >/dev/null
	@cmake --build $(BENCH) --target benchmarks

win: native
	@cmake -S . -B $(WIN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DZENTORI_NATIVE_BIN=$(CURDIR)/$(NATIVE)/bin >/dev/null
	@cmake --build $(WIN)

fuzz-build: setup
	@cmake -S . -B $(FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZENTORI_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ)

build: native win bench-build

# The usual prefix, a plain one beside it for the tests of text on an untouched system, and
# copies of the usual one at 144 and 192 dpi (150 % and 200 %) for the tests of scaling;
# ZENTORI_DPI=120 (make prefix ZENTORI_DPI=120) adds build/wineprefix-dpi120.
prefix: win
	@scripts/wineprefix.sh $(WIN)/bin/wine_fonts.exe
	@WINEPREFIX=$(CURDIR)/build/wineprefix-plain scripts/wineprefix.sh --plain
	@for dpi in 144 192 $(ZENTORI_DPI); do \
		WINEPREFIX=$(CURDIR)/build/wineprefix-dpi$$dpi ZENTORI_DPI=$$dpi \
			scripts/wineprefix.sh $(WIN)/bin/wine_fonts.exe || exit 1; done

test: build fuzz-build prefix
	@scripts/run-tests.sh

bench: build prefix
	@scripts/run-tests.sh --bench-only

# SCALE=150 (100, 125, 150, 175, 200 ...): as on a display scaled to that many percent.
run: build prefix
	@ZENTORI_SCALE=$(SCALE) scripts/run.sh

# build/dist/zentori-1.0-portable.zip and build/dist/zentori-1.0-setup.exe (NSIS)
dist: win
	@scripts/package.sh $(WIN)/bin build/dist

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
