# make bench   build in Release (in build-bench) with the benchmarks and run
#              them headless: the reference interpreter, the processor and the
#              window's "Run program" on one count-down program, korvane-run
#              and the window on a counting loop of 100,000,001 steps in nine
#              rounds beside the reference (speed ratios set beside commit
#              d0ac1cd's, and callgrind's instructions per step), two window
#              runs with output, a traced korvane-run of 10,000,000 steps (as
#              text and as JSON), korvane-dap continuing 10,000,000 steps to a
#              breakpoint beside a plain korvane-run, the time a pause takes to
#              be answered, korvane-dap's history over 10,000,000 steps
#              (recording at several checkpoint spacings, the longest step
#              back, a reverseContinue over the whole run, its memory, a run
#              watched by a data breakpoint), the assembly of each sample, the
#              check of a program for every error (100 lines, 1 MiB), and
#              korvane-lsp's diagnostics after a change, timed at its client
#              (100 lines, 1 MiB); a summary with the ratios follows.
#              Then shows what korvane-run links, grades a class as make
#              bench-grading does, and measures a replay page as make
#              bench-replay does.
#   make bench BENCH_ARGS=--benchmark_repetitions=9     more repetitions
#   make bench BENCH_ARGS=--benchmark_filter=CountDown  a part only
#   make bench-grading   only this: 200 generated submissions with 15 cases
#              each, graded by one korvane-run call and by one process per
#              submission (cases per second of each, and their ratio), and
#              what --similar adds to one call
#   make bench-replay    only this: the size of a --replay page of 10,000
#              steps and how soon headless Chromium has it ready

BENCH_BUILD_DIR ?= build-bench
BENCH_ARGS ?= --benchmark_repetitions=5

BENCH_DEB_PACKAGES = $(DEB_PACKAGES) libbenchmark-dev binutils python3 valgrind chromium

.PHONY: bench bench-build bench-deps bench-configure bench-grading bench-replay bench-replay-run

bench-deps:
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(BENCH_DEB_PACKAGES)" \
	    NODE_PACKAGES="$(TEST_NODE_PACKAGES)"

bench-configure: bench-deps
	cmake -S . -B $(BENCH_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCHMARKS=ON \
	    -DBUILD_TESTING=OFF

bench-build: bench-configure
	cmake --build $(BENCH_BUILD_DIR) -j $(JOBS) --target korvane_bench
	cmake --build $(BENCH_BUILD_DIR) -j $(JOBS) --target korvane-run korvane-dap korvane-lsp

bench: bench-build
	QT_QPA_PLATFORM=offscreen ./$(BENCH_BUILD_DIR)/bench/korvane_bench $(BENCH_ARGS)
	@echo "korvane-run links: $$(readelf -d $(BENCH_BUILD_DIR)/src/run/korvane-run \
	    | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | tr '\n' ' ')"
	python3 bench/grade_class.py $(BENCH_BUILD_DIR)/src/run/korvane-run
	@$(MAKE) --no-print-directory bench-replay-run

bench-grading: bench-configure
	cmake --build $(BENCH_BUILD_DIR) -j $(JOBS) --target korvane-run
	python3 bench/grade_class.py $(BENCH_BUILD_DIR)/src/run/korvane-run

bench-replay: bench-configure
	cmake --build $(BENCH_BUILD_DIR) -j $(JOBS) --target korvane-run
	@$(MAKE) --no-print-directory bench-replay-run

# The page is opened in Chromium through the replay check's protocol client:
# nothing to install beyond Node.js.
bench-replay-run:
	node bench/replay_page.mjs $(BENCH_BUILD_DIR)/src/run/korvane-run \
	    "$$(command -v chromium)"
