#!/usr/bin/env bash
# Builds the screenshot tool and saves a picture of the main window, rendered
# without a display, to docs/window.png (or to the path given as argument).
#   tools/make-screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-docs/window.png}"
build_dir="${SCREENSHOT_BUILD_DIR:-build-screenshot}"

# The offscreen platform draws text with the fonts fontconfig knows; without
# any, every caption would come out as empty boxes.
if command -v fc-list >/dev/null && [ -z "$(fc-list)" ]; then
    echo "No fonts found: install one, e.g. 'apt-get install fonts-dejavu-core'." >&2
    exit 1
fi

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DKORVANE_SCREENSHOT=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" --target korvane_screenshot -j "${JOBS:-2}"
mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=offscreen "$build_dir/src/app/korvane_screenshot" "$out"
