#!/usr/bin/env bash
# Runs the render tests (every test file that makes the real GL device) on
# Mesa's two software drivers, llvmpipe and softpipe, with the GL debug output
# on, and compares the pictures the tests leave behind (the README's screens,
# the asset and menu frames, the mixed sprite frame) pixel by pixel.
# Prints each driver's test verdicts, then one line per picture: the pixels
# that differ and the largest difference in any channel (0..255).
# Usage: tests/gl_drivers.sh [build]   (a tree with tests/tessary_tests; build/ by default)
# Needs ImageMagick. Exit code 1 when a driver has a failing test.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
tests=$build/tests/tessary_tests
[[ -x "$tests" ]] || { echo "no $tests" >&2; exit 2; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# The suites of the test files that draw with the real device.
suites=$(grep -lE 'GlDevice|SceneRenderRig' "$here"/unit/*.cpp "$here"/scene/*.cpp |
    xargs grep -ohE '^(TEST|TEST_F|TEST_P)\([A-Za-z0-9_]+' | sed 's/.*(//' | sort -u |
    sed 's/$/.*/' | paste -sd: -)

status=0
for driver in llvmpipe softpipe; do
    mkdir -p "$out/$driver/screens" "$out/$driver/render"
    rm -rf "$build/assets-render"
    started=$(date +%s)
    SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy TESSARY_GL_DEBUG=1 GALLIUM_DRIVER=$driver \
        TESSARY_SCREENS_DIR=$out/$driver/screens TESSARY_TEST_SCREENSHOTS=$out/$driver/render \
        "$tests" --gtest_filter="$suites" >"$out/$driver.log" 2>&1
    code=$?
    [[ -d "$build/assets-render" ]] && cp -a "$build/assets-render" "$out/$driver/assets"
    renderer=$(grep -m1 -o 'debug output is on (.*)' "$out/$driver.log" || echo "no device")
    echo "$driver: $(grep -m1 -E '^\[  PASSED  \]' "$out/$driver.log"), $(($(date +%s) - started)) s, $renderer"
    grep -E '^\[  FAILED  \] [A-Za-z0-9_./]+$' "$out/$driver.log" | sed 's/^\[  FAILED  \]/  failed:/'
    grep -q '^OpenGL debug message: error, \(api\|window system\)' "$out/$driver.log" &&
        echo "  GL errors reported"
    [[ $code == 0 ]] || status=1
done

echo "pictures (softpipe against llvmpipe):"
(cd "$out/llvmpipe" && find . -name '*.png' | sort) | while read -r picture; do
    a=$out/llvmpipe/$picture b=$out/softpipe/$picture
    if [[ ! -f "$b" ]]; then
        echo "  $picture: missing on softpipe"
        continue
    fi
    differing=$(compare -metric AE "$a" "$b" null: 2>&1 || true)
    largest=$(compare -metric PAE "$a" "$b" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
    echo "  $picture: $differing pixels differ, largest difference $(awk -v f="$largest" \
        'BEGIN { printf "%d", f * 255 + 0.5 }')"
done
exit $status
