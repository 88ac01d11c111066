# Pinstrip — the commands a developer needs. Run `make help` for the list.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
STRESS_KILLS ?= 5000
SOAK_ROUNDS ?= 2000

# A build by hand says so in "Check for Updates"; only the package build says a package manager
# brings newer versions.
RELEASE = cmake --preset release -DPINSTRIP_PACKAGE_BUILD=OFF

.PHONY: help deps build test run bench soak fuzz stress screenshots deb package-check format clean

help:
	@echo "make run          install what is missing, build, start Pinstrip"
	@echo "make test         install what is missing, build (ASan+UBSan), run every test"
	@echo "make bench        build optimised and print the benchmark figures"
	@echo "make soak         drive the real program for SOAK_ROUNDS=$(SOAK_ROUNDS) rounds and print memory over time"
	@echo "make fuzz         run the state-file decoder fuzzer (FUZZ_SECONDS=$(FUZZ_SECONDS))"
	@echo "make stress       kill-and-check the state file many times (STRESS_KILLS=$(STRESS_KILLS))"
	@echo "make screenshots  render the strip and the history window under Xvfb into screenshots/"
	@echo "make deb          build a Debian package"
	@echo "make package-check  build the package and check it as a distribution would"
	@echo "make format       apply clang-format to the sources"

deps:
	@scripts/deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)

test: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

run: deps
	$(RELEASE)
	cmake --build --preset release -j $(JOBS) --target pinstrip
	build/release/src/Pinstrip/pinstrip

bench: deps
	$(RELEASE)
	cmake --build --preset release -j $(JOBS)
	scripts/bench.sh build/release

soak: deps
	$(RELEASE)
	cmake --build --preset release -j $(JOBS) --target pinstrip summon_target soak_driver
	SOAK_ROUNDS=$(SOAK_ROUNDS) SOAK_ARCHIVE_EVERY=200 SOAK_HISTORY_EVERY=300 \
		tests/run-isolated.sh build/release/bench/soak/bench_soak

fuzz: deps
	cmake -S fuzz -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14
	cmake --build build/fuzz -j $(JOBS)
	mkdir -p build/fuzz/corpus
	build/fuzz/fuzz_decode -max_total_time=$(FUZZ_SECONDS) -max_len=32768 -timeout=10 \
		-dict=fuzz/state.dict -artifact_prefix=build/fuzz/ build/fuzz/corpus tests/data

stress: deps
	$(RELEASE)
	cmake --build --preset release -j $(JOBS) --target test_crash_consistency
	PINSTRIP_CRASH_KILLS=$(STRESS_KILLS) QTEST_FUNCTION_TIMEOUT=86400000 tests/run-isolated.sh \
		build/release/tests/reliability/test_crash_consistency acknowledgedOperationsSurviveKills

screenshots: deps
	$(RELEASE)
	cmake --build --preset release -j $(JOBS) --target pinstrip
	scripts/screenshots.sh build/release/src/Pinstrip/pinstrip

deb: deps
	cmake --preset release -DPINSTRIP_PACKAGE_BUILD=ON
	cmake --build --preset release -j $(JOBS) --target pinstrip pinstrip_docs
	cd build/release && cpack -G DEB
	@ls build/release/pinstrip_*.deb

package-check: deb
	scripts/package-check.sh build/release

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
