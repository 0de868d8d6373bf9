#!/usr/bin/env bash
# Every C++ source of the repository against the checked-in .clang-format.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh" ci
cd "$top"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "clang-format: $(git ls-files '*.cpp' '*.h' | wc -l) files clean"
