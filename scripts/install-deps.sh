#!/usr/bin/env bash
# Installs the Debian 12 packages that a purpose needs and are not installed
# yet; on a machine that has them all it asks only dpkg, never apt. Run as root
# (or with sudo). Every script of the project installs through this one.
#
#   scripts/install-deps.sh [PURPOSE...]     default: build test
#
#   build     configure and build the window and the command-line tool
#   test      the test suites (GoogleTest, umockdev, reference HEX writers,
#             a mocked logind, Xvfb for screenshots)
#   package   building and checking the Debian package
#   ci        the CI's other checks: Clang, its sanitizer and libFuzzer
#             runtimes (Debian ships them in libclang-rt-14-dev, not in
#             libfuzzer-14-dev), clang-tidy, clang-format, ccache
#   windows   the mingw-w64 cross build, Wine to run it, the host tools
#             (moc, rcc, uic) for the window's Windows build, wixl for its
#             installer, and a virtual display to see the window under Wine
set -euo pipefail

declare -A lists=(
    [build]="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libusb-1.0-0-dev scdoc libsystemd-dev"
    [test]="clang-format libgtest-dev libgmock-dev libbenchmark-dev umockdev libumockdev-dev binutils srecord
            xvfb xauth dbus-daemon python3-dbusmock python3-jsonschema"
    [package]="dpkg-dev desktop-file-utils appstream lintian man-db"
    [ci]="clang libclang-rt-14-dev clang-tidy clang-format ccache"
    [windows]="g++-mingw-w64-x86-64-posix wine64 googletest qt6-base-dev-tools wixl fonts-wine xvfb xdotool
               imagemagick"
)

purposes=("$@")
[ ${#purposes[@]} -eq 0 ] && purposes=(build test)
packages=()
for purpose in "${purposes[@]}"; do
    [ -n "${lists[$purpose]:-}" ] || { echo "install-deps: unknown purpose '$purpose'" >&2; exit 2; }
    # The build's packages come with every purpose: each of them builds.
    read -r -a words <<<"${lists[build]} ${lists[$purpose]}"
    packages+=("${words[@]}")
done

# One dpkg query for the lot; a package it does not know is missing too.
installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
    awk '$NF == "installed" { print $1 }' || true)"
missing=()
for package in $(printf '%s\n' "${packages[@]}" | sort -u); do
    grep -qx "$package" <<<"$installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
