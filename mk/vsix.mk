# make vsix: the VS Code extension (editors/vscode) packed into a .vsix with
# its client bundled, in $(BUILD_DIR)/editors/.
#   code --install-extension build/editors/korvane-*.vsix

.PHONY: vsix vsix-deps

vsix-deps:
	@$(MAKE) --no-print-directory deps NODE_PACKAGES="$(TEST_NODE_PACKAGES)"

vsix: vsix-deps configure
	cmake --build $(BUILD_DIR) --target vsix
	@echo "Extension:" $(BUILD_DIR)/editors/korvane-*.vsix
