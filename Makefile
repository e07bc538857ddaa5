# A thin front over CMake and CTest. See README.md.
HOST := build/host
WIN32 := build/win32
JOBS ?= 2

.PHONY: run test host windows clean

run: host
	$(HOST)/zelkor-cleanup

test: host windows
	ctest --test-dir $(HOST) --output-on-failure -j $(JOBS)

host:
	tools/install-deps host
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(HOST) -j $(JOBS)

windows:
	tools/install-deps windows
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(WIN32) -j $(JOBS)

clean:
	rm -rf build
