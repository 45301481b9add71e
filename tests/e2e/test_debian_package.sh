#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` makes tessary_<version>_amd64.deb with
# the program in /usr/games, its files in /usr/share/tessary, the desktop
# entry, icons, AppStream data and manual page, and dependencies that
# dpkg-shlibdeps worked out plus fonts-vlgothic, libdecor's plugin recommended;
# lintian finds no error and no missing hardening, the
# desktop file and the AppStream data validate, and the program unpacked into
# a temporary root runs with the player's files in $XDG_DATA_HOME/tessary/.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/installed_lib.sh"
e2e_setup "$1"

build=$(build_folder)
out=$E2E_ROOT/package
(cd "$build" && cpack -G DEB -B "$out") >"$E2E_ROOT/cpack.log" 2>&1 ||
    e2e_fail "cpack failed: $(tail -20 "$E2E_ROOT/cpack.log")"
deb=$(find "$out" -maxdepth 1 -name 'tessary_*_amd64.deb')
[[ $(wc -l <<<"$deb") == 1 && -f "$deb" ]] || e2e_fail "no tessary_<version>_amd64.deb in $out"
echo "made $(basename "$deb"), $(stat -c %s "$deb") bytes"

contents=$(dpkg-deb -c "$deb")
for path in ./usr/games/tessary ./usr/share/tessary/dir.txt ./usr/share/tessary/SampleVS.glsl \
    ./usr/share/tessary/data/grp/grp_0003.txt ./usr/share/tessary/data/ogg/ogg_0000.txt \
    ./usr/share/applications/tessary.desktop ./usr/share/icons/hicolor/48x48/apps/tessary.png \
    ./usr/share/icons/hicolor/256x256/apps/tessary.png ./usr/share/man/man6/tessary.6.gz \
    ./usr/share/doc/tessary/copyright; do
    grep -q " $path\( \|$\)" <<<"$contents" || e2e_fail "the package holds no $path"
done
grep -q ' ./usr/share/metainfo/.*\.metainfo\.xml$' <<<"$contents" || e2e_fail "no AppStream data"
# The font is Debian's, linked rather than copied.
grep -q 'VL-Gothic-Regular.ttf -> ' <<<"$contents" || e2e_fail "the font is not a link"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libsdl2 libopenal libpng16 libvorbisfile libepoxy fonts-vlgothic; do
    grep -q "$package" <<<"$depends" || e2e_fail "Depends lacks $package: $depends"
done

recommends=$(dpkg-deb -f "$deb" Recommends)
grep -q libdecor-0-plugin-1-cairo <<<"$recommends" || e2e_fail "Recommends lacks libdecor: $recommends"

# lintian: no errors and no hardening tag at any level (warnings and notes are printed).
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" >"$E2E_ROOT/lintian.log" 2>&1 ||
    e2e_fail "lintian: $(cat "$E2E_ROOT/lintian.log")"
sed 's/^/lintian: /' "$E2E_ROOT/lintian.log"
# A sanitized debug build is not what players get: it is built without
# optimisation, where _FORTIFY_SOURCE has nothing to check.
if ! grep -q '^TESSARY_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    ! grep -q 'hardening-' "$E2E_ROOT/lintian.log" || e2e_fail "lintian: the program is not hardened"
fi

root=$E2E_ROOT/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/tessary.desktop" ||
    e2e_fail "desktop-file-validate failed"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$E2E_ROOT/appstream.log" ||
    e2e_fail "appstreamcli: $(cat "$E2E_ROOT/appstream.log")"

export HOME=$E2E_ROOT/home
export XDG_DATA_HOME=$E2E_ROOT/data-home
mkdir -p "$HOME"
PLAYER_FOLDER=$XDG_DATA_HOME/tessary
check_installed_runs "$root/usr/games/tessary" "$root"
[[ ! -e "$HOME/.local" ]] || e2e_fail "the program wrote into ~/.local despite XDG_DATA_HOME"
echo "PASS"
