# The one front door: every target installs what is missing, configures and builds.
#   make run    build (Release) and start the window
#   make test   build (Release) and run the whole test suite headless

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Node and npm run the language server's client check; a machine whose Node
# came from elsewhere (with npm bundled, conflicting with Debian's npm) keeps it.
NODE_PACKAGES := $(if $(shell command -v npm 2>/dev/null),,nodejs npm)
DEB_PACKAGES = cmake make g++ qt6-base-dev perl python3 python3-junitparser neovim $(NODE_PACKAGES)

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test clean

all: build

# Installs the Debian packages that are not there yet (apt-get update first).
deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/src/app/korvane

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)

# Further targets (benchmarks, fuzzing, coverage, packaging) live beside this file.
-include mk/*.mk
