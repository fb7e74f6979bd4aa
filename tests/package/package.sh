#!/usr/bin/env bash
# Builds the Debian package from the build tree's programs, checks what it holds and its dependencies, lets
# Debian's own checker judge it, and starts the unpacked program, which must find its help in the unpacked
# share folder.
set -u
build="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0
checks=0
fail() { echo "FAIL $*"; fails=$((fails + 1)); }

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$dir/out" >"$dir/cpack.log" 2>&1; then
    cat "$dir/cpack.log"
    echo "FAIL cpack"
    exit 1
fi
deb=$(ls "$dir"/out/tk820-2_*.deb)

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/tk820-2 ./usr/bin/tk820-emu ./usr/bin/tk820-convert \
    ./usr/share/tk820-2/TK820_2E.hlp ./usr/share/tk820-2/TK820_2D.hlp \
    ./usr/share/tk820-2/examples/limits/cispr32-class-b-mains.grn \
    ./usr/share/applications/tk820-2.desktop ./usr/share/icons/hicolor/scalable/apps/tk820-2.svg \
    ./usr/share/man/man1/tk820-2.1.gz ./usr/share/man/man1/tk820-emu.1.gz \
    ./usr/share/man/man1/tk820-convert.1.gz ./usr/share/doc/tk820-2/copyright \
    ./usr/share/doc/tk820-2/changelog.gz; do
    checks=$((checks + 1))
    grep -qx -- "$path" <<<"$contents" || fail "package lacks $path"
done
checks=$((checks + 1))
if grep -q '^\./usr/bin/.*\.hlp$\|tst_' <<<"$contents"; then fail "package holds build-tree files"; fi

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libqt6core6 libc6; do
    checks=$((checks + 1))
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# Any error or warning of lintian fails the package; its notes (I:, P:) do not.
checks=$((checks + 1))
if ! command -v lintian >/dev/null; then
    fail "lintian is not installed (scripts/install-deps.sh installs it)"
else
    findings=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep '^[EW]: ')
    [ -z "$findings" ] || fail "lintian: $findings"
fi

dpkg-deb -x "$deb" "$dir/root"
export HOME="$dir/home"  # the program may create its configuration folder
checks=$((checks + 1))
[ "$("$dir/root/usr/bin/tk820-2" --version)" = "tk820-2 2.68" ] || fail "tk820-2 --version"
checks=$((checks + 1))
[ "$("$dir/root/usr/bin/tk820-convert" --version)" = "tk820-convert 2.68" ] || fail "tk820-convert --version"
checks=$((checks + 1))
paths=$(env -u DISPLAY -u WAYLAND_DISPLAY "$dir/root/usr/bin/tk820-2" --help-path)
[ "$paths" = "$dir/root/usr/share/tk820-2/TK820_2D.hlp
$dir/root/usr/share/tk820-2/TK820_2E.hlp" ] || fail "help files found at: $paths"
checks=$((checks + 1))
exec_line=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/tk820-2.desktop | grep '^Exec=')
[ "$exec_line" = "Exec=tk820-2" ] || fail "desktop entry: $exec_line"

echo "$((checks - fails)) passed, $fails failed"
[ "$fails" -eq 0 ]
