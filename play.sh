#!/usr/bin/env bash
# Builds Tessary (installing any missing Debian packages first) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh play
cmake -S . -B build
# Only what playing needs: the program and its folder (the data folder with it).
cmake --build build -j"$(nproc)" --target tessary
exec build/game/tessary
