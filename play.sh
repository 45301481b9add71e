#!/usr/bin/env bash
# Builds Tessary (installing any missing Debian packages first) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh play
cmake -S . -B build
cmake --build build -j"$(nproc)"
exec build/game/tessary
