#!/usr/bin/env bash
# Installs the Debian 12 packages of the stricter CI checks on top of the
# project's own (scripts/install-deps.sh); does nothing when all are present.
#   clang, libclang-rt-14-dev  Clang builds; the sanitizer and libFuzzer
#                              runtimes for -fsanitize=fuzzer (Debian ships
#                              them there, not in libfuzzer-14-dev)
#   clang-tidy, clang-format   the lint and format gates
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh"

packages=(clang libclang-rt-14-dev clang-tidy clang-format)

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
