#!/usr/bin/env bash
# Renders the README's screenshots (title, ranking, options, play, pause,
# game over) with the real scene code, pictures and GL device on the
# offscreen video driver, into docs/screens/. The end-to-end tests keep their
# own reference pictures in tests/e2e/golden/; this does not touch them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target tessary_tests
mkdir -p docs/screens
TESSARY_SCREENS_DIR="$PWD/docs/screens" SDL_VIDEODRIVER=offscreen \
    build/tests/tessary_tests --gtest_filter='ReadmeScreens.*'
ls -l docs/screens
