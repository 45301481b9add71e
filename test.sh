#!/usr/bin/env bash
# Builds everything (installing any missing Debian packages first) and runs
# every test: the unit and scene tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the audio tests under ThreadSanitizer, then the
# real program end to end under Xvfb, as built for players and as built with
# AddressSanitizer and UndefinedBehaviorSanitizer (leak checking on).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
scripts/check-layers.sh

# Runs a ctest command and keeps the names of the tests it skipped, which are
# named again at the end: a skip passes the run, so it must not go unseen.
skipped=()
run_ctest() {
    local log
    log=$(mktemp)
    "$@" | tee "$log"
    mapfile -t -O "${#skipped[@]}" skipped < <(sed -En 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/p' "$log")
    rm -f "$log"
}

werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
jobs=$(nproc)

# The build tree is the one the package is made from (RelWithDebInfo, the
# default), and it is always built with warnings as errors: what players get
# must build cleanly with the optimiser's own warnings.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_WERROR=ON
cmake --build build -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON -DTESSARY_WERROR=$werror
cmake --build build-asan -j"$jobs" --target tessary_tests tessary

run_ctest ctest --test-dir build-asan -L unit --output-on-failure -j"$jobs"

# The tests of the audio object and of everything that starts the music stream
# thread, under ThreadSanitizer: a data race or a lock-order inversion in our
# code stops the test that meets it and fails the run.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_TSAN=ON -DTESSARY_WERROR=$werror
cmake --build build-tsan -j"$jobs" --target tessary_tests
# GCC 12's ThreadSanitizer cannot map its shadow memory under the wide address
# randomisation of newer kernels; run without it where the system allows.
fixed_layout=()
setarch "$(uname -m)" -R true 2>/dev/null && fixed_layout=(setarch "$(uname -m)" -R)
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
    run_ctest "${fixed_layout[@]}" ctest --test-dir build-tsan -L audio --output-on-failure -j"$jobs"

run_ctest ctest --test-dir build -L e2e --output-on-failure
# The same tests against the sanitized program (build-asan/game): a sanitizer
# report from any program a test starts, a leak included, fails the test.
run_ctest ctest --test-dir build-asan -L e2e --output-on-failure
# The program on real desktops started headless (X11 window managers, sway,
# GNOME, KDE), as built for players only: about 5 minutes together.
run_ctest ctest --test-dir build -L desktops --output-on-failure

if [[ ${#skipped[@]} -gt 0 ]]; then
    echo "Skipped (${#skipped[@]}): ${skipped[*]}"
else
    echo "No test was skipped."
fi
