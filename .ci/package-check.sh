#!/usr/bin/env bash
# CI: builds the Debian package and checks it as a user's machine would get it:
# unpacked into a temporary root, the exact file list, the unpacked
# executables' --version, the desktop entry and the AppStream metainfo through
# their validators, the maintainer scripts and the dependencies, and lintian
# with no errors. Extra arguments go to cmake.
#
# The package's own Release build (GCC, Debian's hardening flags) is also the
# CI's GCC Release cell: warnings as errors, a unity build like the other CI
# cells, the suites built beside the package's programs and run once here.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$top/build-deb}"
fail() { echo "package-check: $*" >&2; exit 1; }

"$top/scripts/install-deps.sh" build test package
BUILD_DIR="$build" bash "$top/scripts/build-deb.sh" -DPALEREED_BUILD_TESTS=ON -DPALEREED_WERROR=ON \
    -DCMAKE_UNITY_BUILD=ON "$@"
echo "== every suite, in the package's Release build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

debs=("$build"/palereed-update-tool_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in $build"
deb="${debs[0]}"
version="$(dpkg-deb -f "$deb" Version)"
version="${version%-*}" # the release, without the package revision
echo "== $(basename "$deb")"

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$root/DEBIAN"

# The command-line tool is packaged whenever the source tree builds it.
with_cli=false
cmake --build "$build" --target palereed-flash >/dev/null 2>&1 && with_cli=true

expected=(
    usr/bin/palereed-update-tool
    usr/lib/udev/rules.d/70-palereed.rules
    usr/share/applications/com.palereed.UpdateTool.desktop
    usr/share/doc/palereed-update-tool/changelog.Debian.gz
    usr/share/doc/palereed-update-tool/changelog.gz
    usr/share/doc/palereed-update-tool/copyright
    usr/share/icons/hicolor/scalable/apps/com.palereed.UpdateTool.svg
    usr/share/man/man1/palereed-update-tool.1.gz
    usr/share/metainfo/com.palereed.UpdateTool.metainfo.xml
)
if $with_cli; then
    expected+=(usr/bin/palereed-flash usr/share/man/man1/palereed-flash.1.gz
        usr/share/bash-completion/completions/palereed-flash)
fi
echo "== file list"
diff <(printf '%s\n' "${expected[@]}" | sort) \
    <(cd "$root" && find . -path ./DEBIAN -prune -o ! -type d -print | sed 's|^\./||' | sort) ||
    fail "the package's files differ from the expected list (< expected, > packaged)"

echo "== --version of the unpacked executables"
window_version="$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/palereed-update-tool" --version)"
[ "$window_version" = "palereed-update-tool $version" ] ||
    fail "palereed-update-tool --version said '$window_version', the package is $version"
echo "$window_version"
if $with_cli; then
    cli_version="$("$root/usr/bin/palereed-flash" --version)"
    [[ "$cli_version" == *"$version"* ]] ||
        fail "palereed-flash --version said '$cli_version', the package is $version"
    echo "$cli_version"
fi

echo "== desktop entry and metainfo"
desktop-file-validate "$root/usr/share/applications/com.palereed.UpdateTool.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.palereed.UpdateTool.metainfo.xml"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/com.palereed.UpdateTool.metainfo.xml" ||
    fail "the metainfo's release is not $version"

echo "== dependencies and maintainer scripts"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for package in libqt6widgets6 libusb-1.0-0 libc6 qt6-qpa-plugins; do
    [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package"
done
grep -q 'udevadm control --reload-rules' "$root/DEBIAN/postinst" ||
    fail "postinst does not reload the udev rules"

echo "== lintian"
lintian --fail-on error "$deb"
echo "package-check: all checks passed"
