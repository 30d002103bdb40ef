# The one front door: every target installs what is missing, configures and builds.
#   make run    build (Release) and start the window
#   make test   build (Release) and run the whole test suite headless

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEB_PACKAGES = cmake make g++ qt6-base-dev perl python3 python3-junitparser neovim vim libkf5syntaxhighlighting-tools
# Neovim runs the language server's check in its own client; vim and
# kate-syntax-highlighter check the editor packages' highlighting. Node.js and npm
# run the debug adapter's and the language server's client tests; they are
# installed only when the command is missing: a Node.js from elsewhere brings its own npm,
# and Debian's npm package conflicts with it.
NODE_PACKAGES = node:nodejs npm:npm
# Packages that only the tests need: Debian's Chromium opens the replay pages.
TEST_DEB_PACKAGES = chromium

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps test-deps configure build run test clean

all: build

# Installs the Debian packages that are not there yet (apt-get update first).
deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	for c in $(NODE_PACKAGES); do \
	    command -v $${c%%:*} >/dev/null 2>&1 || missing="$$missing $${c#*:}"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

# The test suite's own packages, before configuring, where the tests find them.
test-deps: deps
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(TEST_DEB_PACKAGES)"

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/src/app/korvane

test: test-deps build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)

# Further targets (benchmarks, fuzzing, coverage, packaging) live beside this file.
-include mk/*.mk
