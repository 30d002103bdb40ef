# make package: a Release build of its own and a Debian package made from it
# with CPack; the .deb lands in $(PACKAGE_BUILD_DIR).
#   sudo apt-get install ./build-package/korvane_*.deb

PACKAGE_BUILD_DIR ?= $(BUILD_DIR)-package

# dpkg-dev and file: dpkg-shlibdeps, which finds the package's dependencies.
PACKAGE_DEB_PACKAGES = $(DEB_PACKAGES) dpkg-dev file
# desktop-file-utils and appstream: the validators the packaging tests run.
# groff-base: formats the manual pages in those tests.
TEST_DEB_PACKAGES += desktop-file-utils appstream groff-base

.PHONY: package package-deps

package-deps:
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(PACKAGE_DEB_PACKAGES)"

package: package-deps
	cmake -S . -B $(PACKAGE_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	    -DKORVANE_SANITIZE=OFF -DKORVANE_BENCHMARKS=OFF -DKORVANE_FUZZ=OFF
	cmake --build $(PACKAGE_BUILD_DIR) -j $(JOBS)
	rm -f $(PACKAGE_BUILD_DIR)/*.deb
	cd $(PACKAGE_BUILD_DIR) && cpack -G DEB
	@echo "Package:" $(PACKAGE_BUILD_DIR)/*.deb
