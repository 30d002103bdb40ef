# make sanitize   build everything with AddressSanitizer and
#                 UndefinedBehaviorSanitizer (Debug, so Qt's own assertions are
#                 on too) and run the whole test suite headless.

SANITIZE_BUILD_DIR ?= build-asan

# Any report fails the test that caused it. libstdc++'s assertions add bounds
# checks on std::array and friends, which ASan cannot see inside an object.
SANITIZE_ENV = QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS=abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: sanitize

sanitize: test-deps
	cmake -S . -B $(SANITIZE_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON \
	    -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS
	cmake --build $(SANITIZE_BUILD_DIR) -j $(JOBS)
	cd $(SANITIZE_BUILD_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)
