# make fuzz   build the libFuzzer targets with clang, ASan and UBSan (in
#             build-fuzz) and run each for FUZZ_SECONDS seconds, one after
#             the other, starting from the seed corpus in fuzz/corpus/<target>.
#             New inputs are kept in fuzz-corpus-work/<target>, a crashing
#             input as fuzz-corpus-work/<target>-crash-<hash>.
#   make fuzz FUZZ_SECONDS=600        longer runs
#   make fuzz FUZZ_TARGETS=fuzz_machine   one target only
#   make fuzz FUZZ_FLAGS=-len_control=0   further libFuzzer options

FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_WORK_DIR ?= fuzz-corpus-work
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= fuzz_assembler fuzz_machine fuzz_decode fuzz_dap fuzz_lsp
FUZZ_FLAGS ?=
FUZZ_DEB_PACKAGES = cmake make clang libclang-rt-14-dev qt6-base-dev

# The libraries under test get the sanitizers and the coverage instrumentation
# (fuzzer-no-link); only the fuzz executables link libFuzzer itself. Debug
# keeps Qt's assertions and libstdc++'s bounds checks on; -O1 keeps it quick.
FUZZ_CXX_FLAGS = -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined,fuzzer-no-link \
    -fno-sanitize-recover=all -D_GLIBCXX_ASSERTIONS

# Longest input per target: program texts may be long, cells and words short.
FUZZ_MAX_LEN_fuzz_assembler = 65536
FUZZ_MAX_LEN_fuzz_machine = 8192
FUZZ_MAX_LEN_fuzz_decode = 256
FUZZ_MAX_LEN_fuzz_dap = 16384
FUZZ_MAX_LEN_fuzz_lsp = 16384

.PHONY: fuzz fuzz-build fuzz-deps

fuzz-deps:
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(FUZZ_DEB_PACKAGES)"

fuzz-build: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug \
	    -DKORVANE_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_CXX_FLAGS="$(FUZZ_CXX_FLAGS)"
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target $(FUZZ_TARGETS)

# One target after the other; each keeps its new inputs in its work folder.
fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	    $(MAKE) --no-print-directory fuzz-run-$$t || exit 1; \
	done

fuzz-run-%:
	@mkdir -p $(FUZZ_WORK_DIR)/$*
	@echo "== $* for $(FUZZ_SECONDS) s"
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=abort_on_error=1 \
	    ./$(FUZZ_BUILD_DIR)/fuzz/$* -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -rss_limit_mb=2048 -max_len=$(or $(FUZZ_MAX_LEN_$*),4096) -print_final_stats=1 $(FUZZ_FLAGS) \
	    -artifact_prefix=$(FUZZ_WORK_DIR)/$*- $(FUZZ_WORK_DIR)/$* fuzz/corpus/$*
