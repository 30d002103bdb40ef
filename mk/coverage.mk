# make coverage   build with gcc's --coverage (in build-coverage), run the whole
#                 test suite headless and print the line coverage of the
#                 machine (its rules, the processor and the run loop) and of the
#                 assembler, each on its own.

COVERAGE_BUILD_DIR ?= build-coverage
COVERAGE_FOLDERS = src/machine src/assembler

.PHONY: coverage coverage-deps

coverage-deps:
	@$(MAKE) --no-print-directory test-deps TEST_DEB_PACKAGES="$(TEST_DEB_PACKAGES) gcovr"

coverage: coverage-deps
	cmake -S . -B $(COVERAGE_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug \
	    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage
	cmake --build $(COVERAGE_BUILD_DIR) -j $(JOBS)
	find $(COVERAGE_BUILD_DIR) -name '*.gcda' -delete
	@# The figures are printed even when a test fails; the target fails afterwards.
	@cd $(COVERAGE_BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS); \
	status=$$?; cd $(CURDIR); \
	for folder in $(COVERAGE_FOLDERS); do \
	    echo "== $$folder"; \
	    gcovr --root . --filter "$$folder/" --print-summary --output /dev/null \
	        $(COVERAGE_BUILD_DIR) | grep '^lines:'; \
	done; \
	exit $$status
