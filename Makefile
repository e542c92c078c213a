# Tasks beyond the two commands. Run ./test.sh (or scripts/setup.sh) once first.
BUILD ?= build
RELEASE ?= build-release
ASAN ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all build test run bench test-asan clean

all: build

build:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

run: build
	$(BUILD)/app/quillory

# Benchmarks in a release build; each prints its figures and ratios.
bench:
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(RELEASE) --target bench_layout
	$(RELEASE)/bench/bench_layout

# The unit and widget tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan:
	cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLORY_SANITIZE=ON >/dev/null
	cmake --build $(ASAN)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j$(JOBS) -L 'unit|widget'

clean:
	rm -rf $(BUILD) $(RELEASE) $(ASAN)
