# Tasks beyond the two commands. Each target first installs the Debian
# packages it needs that are missing (scripts/setup.sh).
SHELL := /bin/bash
BUILD ?= build
RELEASE ?= build-release
ASAN ?= build-asan
JOBS ?= $(shell nproc)

FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all build test run bench baseline test-asan test-fuzz package clean

all: build

build:
	./scripts/setup.sh
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)

test: build
	./scripts/setup.sh test
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

run: build
	$(BUILD)/app/quillory

# Benchmarks in a release build; each prints its figures and ratios. The
# window figures are taken beside an empty Qt main window built in the same
# tree (bench/bare_window.cpp) on a private Xvfb server.
PYTHON ?= $(shell test -x /usr/bin/python3 && echo /usr/bin/python3 || echo python3)
# Start-up is also compared with the program as it was before the learner's
# record (BASELINE_REF), built once from that commit in $(BASELINE).
BASELINE ?= build-baseline
BASELINE_REF ?= f10f2bc
BASELINE_EXE = $(shell test -x $(BASELINE)/build/app/quillory && echo $(BASELINE)/build/app/quillory)
bench: baseline
	./scripts/setup.sh bench
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(RELEASE) -j$(JOBS) --target quillory bare_window bench_layout bench_keyboard bench_keystroke bench_startup bench_record bench_record_window bench_annotate
	@echo "== $$(date -u '+%Y-%m-%d %H:%M UTC'), $$(nproc) cores, $$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $$(awk '/MemTotal/ {printf "%.1f GiB", $$2 / 1048576}' /proc/meminfo)"
	@echo "== loading and laying out practice files"
	$(RELEASE)/bench/bench_layout
	@echo "== drawing the keyboard"
	QT_QPA_PLATFORM=offscreen $(RELEASE)/bench/bench_keyboard
	@echo "== one keystroke, counted"
	$(PYTHON) bench/bench_callgrind.py $(RELEASE)/bench/bench_keystroke
	@echo "== the window, from outside, beside the floor and TIPP10"
	$(PYTHON) bench/bench_window.py $(RELEASE)/app/quillory $(RELEASE)/bench/bare_window $(RELEASE)/bench-tipp10 $(BASELINE_EXE)
	@echo "== where start-up time goes"
	$(RELEASE)/bench/bench_startup
	@echo "== the learner's record at 10,000 runs"
	$(RELEASE)/bench/bench_record
	@echo "== the record window over 10,000 runs"
	QT_QPA_PLATFORM=offscreen $(RELEASE)/bench/bench_record_window $(RELEASE)/bench-records
	@echo "== readings for plain text"
	$(RELEASE)/bench/bench_annotate

baseline:
	@if git rev-parse -q --verify $(BASELINE_REF)^{commit} >/dev/null; then \
	  if [ ! -d $(BASELINE)/src ]; then \
	    mkdir -p $(BASELINE)/src && git archive $(BASELINE_REF) | tar -x -C $(BASELINE)/src; \
	  fi; \
	  cmake -S $(BASELINE)/src -B $(BASELINE)/build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null && \
	  cmake --build $(BASELINE)/build -j$(JOBS) --target quillory; \
	else \
	  echo "no commit $(BASELINE_REF) here: start-up is not compared with the program before the record"; \
	fi

# A Debian package of a release build, in $(RELEASE)/.
package:
	./scripts/setup.sh package
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(RELEASE) --target quillory
	cd $(RELEASE) && cpack -G DEB

# The unit and widget tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan:
	./scripts/setup.sh test
	cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLORY_SANITIZE=ON >/dev/null
	cmake --build $(ASAN)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
	  ctest --output-on-failure -j$(JOBS) -L 'unit|widget'

# libFuzzer (clang) on the practice-file reader, the lesson splitter, the
# layout, the run and the annotator, $(FUZZ_SECONDS) seconds each; a crash
# stops the target.
test-fuzz:
	./scripts/setup.sh fuzz
	cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DQUILLORY_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(FUZZ) --target fuzz_practicefile fuzz_splitlesson fuzz_run fuzz_annotate
	@for t in fuzz_practicefile fuzz_splitlesson fuzz_run fuzz_annotate; do \
	  mkdir -p $(FUZZ)/corpus/$$t; \
	  cp -n tests/fuzz/corpus/$$t/* $(FUZZ)/corpus/$$t/ 2>/dev/null || true; \
	  echo "== $$t"; \
	  $(FUZZ)/tests/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ)/$$t- $(FUZZ)/corpus/$$t 2>&1 | \
	    grep -E '(DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|INFO: Loaded)' ; \
	  test $${PIPESTATUS[0]} -eq 0 || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(RELEASE) $(ASAN) $(FUZZ) $(BASELINE)
