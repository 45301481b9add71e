#!/usr/bin/env bash
# Builds everything (installing any missing Debian packages first) and runs
# every test: the unit and scene tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the real program end to end under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
jobs=$(nproc)

cmake -S . -B build -DTESSARY_WERROR=$werror
cmake --build build -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON -DTESSARY_WERROR=$werror
cmake --build build-asan -j"$jobs" --target tessary_tests

ctest --test-dir build-asan -L unit --output-on-failure -j"$jobs"
ctest --test-dir build -L e2e --output-on-failure
