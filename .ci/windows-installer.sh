#!/usr/bin/env bash
# The Windows installer and portable zip, built and tried as a user (or an
# administrator's deployment) would: the zip must hold exactly the tool's
# files; the MSI installs silently per machine under Wine, the installed
# programs answer --version and the installed window updates a simulated
# product on a virtual display (.ci/windows-window.sh); then it uninstalls
# silently and nothing of it may be left.
#
#   .ci/windows-installer.sh BUILD_DIR
#
# Runs inside .ci/windows.sh (its Wine prefix and environment).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
wine="$(dpkg -L wine64 | grep -m1 '/wine64$')"

cmake --build "$build" --target windows-packages
msi="$(ls "$build"/palereed-update-tool-*-windows-x64.msi)"
zip="$(ls "$build"/palereed-update-tool-*-windows-x64.zip)"
echo "installer: $(basename "$msi"), $(stat -c %s "$msi") bytes; zip: $(stat -c %s "$zip") bytes"

# Exactly these files, and no other: what the window and the command line
# load, and the licences.
expected="$(cat <<'LIST'
Qt6Core.dll
Qt6Gui.dll
Qt6Widgets.dll
libgcc_s_seh-1.dll
libstdc++-6.dll
libwinpthread-1.dll
licenses/LICENSE.txt
licenses/Qt-GPL-3.0-only.txt
licenses/Qt-LGPL-3.0-only.txt
licenses/Qt-SOURCE.txt
licenses/Qt-copyright.txt
licenses/gcc-runtime-copyright.txt
licenses/mingw-w64-copyright.txt
palereed-flash.exe
palereed-update-tool.exe
platforms/qwindows.dll
styles/qwindowsvistastyle.dll
LIST
)"
in_zip="$(python3 -c 'import sys, zipfile
for name in sorted(zipfile.ZipFile(sys.argv[1]).namelist()):
    if not name.endswith("/"): print(name.split("/", 1)[1])' "$zip" | LC_ALL=C sort)"
if [ "$in_zip" != "$(LC_ALL=C sort <<<"$expected")" ]; then
    echo "the zip's files differ from the tool's list:" >&2
    diff <(LC_ALL=C sort <<<"$expected") <(echo "$in_zip") >&2 || true
    exit 1
fi

# Where a per-machine install goes, in the prefix's own folders.
c_drive="$WINEPREFIX/drive_c"
installed="$c_drive/Program Files/Pale Reed/Update Tool"
# Windows puts a per-machine (ALLUSERS=1) entry in every user's Start menu;
# Wine's installer puts it in the installing user's.
entry="Microsoft/Windows/Start Menu/Programs/Pale Reed Update Tool.lnk"

"$wine" msiexec /i "$("$wine" winepath -w "$msi")" /qn
[ -f "$installed/palereed-update-tool.exe" ] || { echo "nothing installed at $installed" >&2; exit 1; }
shortcut="$(find "$c_drive/ProgramData" "$c_drive/users" -path "*/$entry" | head -1)"
[ -n "$shortcut" ] || { echo "no Start menu entry $entry" >&2; exit 1; }
echo "Start menu entry: ${shortcut#"$c_drive/"}"

# The installed programs, with nothing on WINEPATH: only what the installer put down.
(
    unset WINEPATH QT_PLUGIN_PATH
    version="$(grep -m1 -o '^## \[[0-9.]*\]' "$top/CHANGELOG.md" | tr -d '#[] ')"
    for program in palereed-flash palereed-update-tool; do
        said="$("$wine" "$installed/$program.exe" --version | tr -d '\r')"
        [ "$said" = "$program $version" ] || { echo "$program.exe --version said '$said'" >&2; exit 1; }
        echo "installed $said"
    done
)
"$top/.ci/windows-window.sh" "$installed" "$build/window-under-wine.png"

"$wine" msiexec /x "$("$wine" winepath -w "$msi")" /qn
# Wine writes its registry files when its server ends: wait for that.
"$(dirname "$wine")/wineserver64" -w
# No file, and no key in the registry (the uninstall entry, the components).
left="$(find "$c_drive" -ipath '*pale reed*' -o -iname 'palereed*' 2>/dev/null
    grep -il 'pale reed\|palereed' "$WINEPREFIX"/*.reg || true)"
if [ -n "$left" ]; then
    echo "left behind after the uninstall:" >&2
    echo "$left" >&2
    exit 1
fi
echo "installed, run and uninstalled without a trace"
