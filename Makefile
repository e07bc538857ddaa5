# A thin front over CMake and CTest. See README.md.
HOST := build/host
WIN32 := build/win32
ASAN := build/asan
FUZZ := build/fuzz
JOBS ?= 2
# The Windows build the Wine tests run: win32 where 32-bit Wine runs, else win64.
WINE_ARCH = $(shell tools/wine-arch)

.NOTPARALLEL:
.PHONY: run test bench host windows wine-build test-tools clean

run: host
	$(HOST)/zelkor-cleanup

# Every test: unit, stand-in, pseudo-terminal (also under valgrind), lint,
# the exe as built, the Windows program under Wine; then the host tests again
# with AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets
# for a bounded time each.
test: test-tools windows wine-build
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DWINE_TEST_BUILD=$(CURDIR)/build/$(WINE_ARCH) -DWINDOWS_EXE=$(CURDIR)/$(WIN32)/zelkor-cleanup.exe
	cmake --build $(HOST) -j $(JOBS)
	ctest --test-dir $(HOST) --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DZELKOR_SANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)
	ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS)
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKOR_FUZZ=ON
	cmake --build $(FUZZ) -j $(JOBS)
	ctest --test-dir $(FUZZ) --output-on-failure -j $(JOBS)

# Speed, memory and system calls against find -delete and rm -rf; figures only.
bench: windows
	tools/install-deps host bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build/bench -j $(JOBS) --target cleanup_bench
	build/bench/cleanup_bench build/bench-data
	@echo "build/win32/zelkor-cleanup.exe: $$(stat -c %s $(WIN32)/zelkor-cleanup.exe) bytes"

host:
	tools/install-deps host
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(HOST) -j $(JOBS)

windows:
	tools/install-deps windows
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(WIN32) -j $(JOBS)

# The 64-bit build of the same source, for machines without 32-bit Wine.
wine-build:
	if [ "$(WINE_ARCH)" = win64 ]; then \
	  cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel && \
	  cmake --build build/win64 -j $(JOBS); \
	fi

test-tools:
	tools/install-deps host windows wine fuzz

clean:
	rm -rf build
