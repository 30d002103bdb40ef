# The one front door: every target installs what is missing, configures and builds.
#   make run    build (Release) and start the window
#   make test   build (Release) and run the whole test suite headless

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# What building and running needs; make run installs only these.
DEB_PACKAGES = cmake make g++ qt6-base-dev
# What only the test suite needs, installed by make test beside the above.
# Perl's prove, Python with junitparser and script read the reports of
# korvane-run; Neovim, vim, Emacs (with Debian's eglot and dap-mode) and
# kate-syntax-highlighter run the editor setups of editors/ in their editors.
# Chromium opens korvane-run's replay pages.
TEST_DEB_PACKAGES = perl python3 python3-junitparser bsdutils neovim vim \
    libkf5syntaxhighlighting-tools emacs-nox elpa-eglot elpa-dap-mode chromium
# Node.js and npm run the debug adapter's and the language server's client
# tests and pack the VS Code extension; they are installed only when the
# command is missing: a Node.js from elsewhere brings its own npm, and
# Debian's npm package conflicts with it.
TEST_NODE_PACKAGES = node:nodejs npm:npm
NODE_PACKAGES =

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps test-deps configure test-configure build run test clean

all: build

# Installs the Debian packages that are not there yet (apt-get update first),
# waiting while another apt or dpkg holds the lock, as on a fresh machine
# that installs updates at its first start.
deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	for c in $(NODE_PACKAGES); do \
	    command -v $${c%%:*} >/dev/null 2>&1 || missing="$$missing $${c#*:}"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get -o DPkg::Lock::Timeout=600 update && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get -o DPkg::Lock::Timeout=600 install -y $$missing; \
	fi

test-deps:
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(DEB_PACKAGES) $(TEST_DEB_PACKAGES)" \
	    NODE_PACKAGES="$(TEST_NODE_PACKAGES)"

# A new build folder is configured without the tests when only running is
# asked for (their tools may be missing); one that has them keeps them.
configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release \
	    $$([ -f $(BUILD_DIR)/CMakeCache.txt ] || echo -DBUILD_TESTING=OFF)

test-configure: test-deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/src/app/korvane

test: test-configure
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)

# Further targets (benchmarks, fuzzing, coverage, packaging) live beside this file.
-include mk/*.mk
