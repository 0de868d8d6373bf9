#!/usr/bin/env bash
# Installs the Debian 12 packages the tool and its tests need; does nothing
# when they are all present. Run as root (or with sudo). With --packaging it
# also installs what building and checking the Debian package needs.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev libgl-dev libusb-1.0-0-dev scdoc
    libgtest-dev libgmock-dev libbenchmark-dev
    umockdev libumockdev-dev
    binutils srecord xvfb xauth
    libsystemd-dev dbus-daemon python3-dbusmock
)
if [ "${1:-}" = "--packaging" ]; then
    packages+=(dpkg-dev desktop-file-utils appstream lintian man-db)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
