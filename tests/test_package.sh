#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it under a temporary
# root and starts the unpacked launcher for a user with an empty home: the data
# folder must be filled without replacing the user's own file, and the program
# must run in it. Also validates the menu entry and the AppStream metadata.
#
#   test_package.sh CPACK BUILD_DIR LAUNCHER_DIR PROGRAM_DIR FILES_FROM_PROGRAM WORKING_FILES...
#
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail
cpack=$1 build_dir=$2 launcher_dir=$3 program_dir=$4 files_from_program=$5
shift 5
working_files=("$@")

for tool in "$cpack" dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed (Debian: cmake, dpkg-dev, desktop-file-utils, appstream)"
        exit 77
    fi
done

work=$(mktemp -d /tmp/korvana-package.XXXXXX)
program_pid=
cleanup() {
    if [ -n "$program_pid" ]; then
        kill -KILL "$program_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# gzip rather than the default xz: the test's package is thrown away at once.
"$cpack" --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work/out" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip \
    >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack could not build the package"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}

# The control fields that dpkg-shlibdeps and the packaging fill in.
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "Depends lacks what dpkg-shlibdeps finds: $depends"
[[ $depends == *libqt6sql6-sqlite* ]] || fail "Depends lacks the SQLite driver: $depends"
[[ $depends == *qt6-translations-l10n* ]] || fail "Depends lacks Qt's translations: $depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = "xdg-utils" ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ "$(dpkg-deb -f "$deb" Suggests)" = "libreoffice-calc" ] || fail "Suggests: $(dpkg-deb -f "$deb" Suggests)"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "Section: $(dpkg-deb -f "$deb" Section)"

root=$work/root
dpkg-deb -x "$deb" "$root"
program=$root/usr/$program_dir/korvana
launcher=$root/usr/$launcher_dir/korvana3
[ -x "$program" ] || fail "no program at $program"
[ -x "$launcher" ] || fail "no launcher at $launcher"
# The history window's chart is a module loaded from the program's own folder.
[ -f "$(dirname "$program")/korvana_history_chart.so" ] || fail "no chart module beside the program"
[[ $depends == *libqt6charts6* ]] || fail "Depends lacks the chart module's Qt Charts: $depends"
# The program looks for its shipped files at this path from its own folder.
for file in table.xlsx grats.gif images/ball.bmp; do
    [ -f "$(dirname "$program")/$files_from_program/$file" ] || fail "the program would not find $file"
done

applications=("$root"/usr/share/applications/*.desktop)
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
desktop-file-validate "${applications[@]}" || fail "desktop-file-validate found errors"
grep -qx "Exec=/usr/$launcher_dir/korvana3" "${applications[0]}" || fail "the menu entry does not start the launcher"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli found errors"
[ "$(basename "${applications[0]}" .desktop)" = "$(basename "${metainfo[0]}" .metainfo.xml)" ] ||
    fail "the desktop file and the metadata have different names"

# A user whose data folder already holds an edited list.
home=$work/home
data=$home/.local/share/korvana
mkdir -p "$data"
printf 'Edited by the user\r\n' >"$data/teams4.txt"
run_launcher() {
    env -u XDG_DATA_HOME -u KORVANA_DATA "$@" HOME="$home" QT_QPA_PLATFORM=offscreen "$launcher"
}

# Without a display the folder is prepared, then the launcher says why it stops.
if run_launcher -u DISPLAY -u WAYLAND_DISPLAY >"$work/out.txt" 2>"$work/err.txt"; then
    fail "the launcher started without a display"
fi
grep -q "no graphical display was found" "$work/err.txt" || fail "no message without a display: $(cat "$work/err.txt")"
grep -q "xvfb-run -a korvana3" "$work/err.txt" || fail "the message names another command: $(cat "$work/err.txt")"
grep -qx "Data folder: $data" "$work/out.txt" || fail "the launcher named another folder: $(cat "$work/out.txt")"
for file in "${working_files[@]}"; do
    [ -f "$data/$file" ] || fail "$file was not copied into the new data folder"
done
[ "$(cat "$data/teams4.txt")" = $'Edited by the user\r' ] || fail "the user's teams4.txt was replaced"
cmp -s "$data/base.mdb" "$root/usr/share/korvana3/new-data-folder/base.mdb" || fail "base.mdb is not the shipped one"
listing=$(ls -A "$data")
[[ $listing != *.korvana-copy.* ]] || fail "a copy was left under its temporary name: $listing"

# With a display (offscreen) the program runs in the data folder: it shows its
# first question there and waits, holding the folder's lock. Started directly,
# the launcher's process becomes the program's, which the checks below follow.
env -u XDG_DATA_HOME -u KORVANA_DATA DISPLAY=:0 HOME="$home" QT_QPA_PLATFORM=offscreen "$launcher" >"$work/run.txt" 2>&1 &
program_pid=$!
disown "$program_pid" # killed below, without the shell reporting it
for _ in $(seq 1 300); do
    if [ -e "$data/.korvana.lock" ]; then
        break
    fi
    kill -0 "$program_pid" 2>/dev/null || { cat "$work/run.txt"; fail "the program ended at once"; }
    sleep 0.1
done
[ -e "$data/.korvana.lock" ] || { cat "$work/run.txt"; fail "the program did not take the data folder"; }
[ "$(readlink -f "/proc/$program_pid/cwd")" = "$(readlink -f "$data")" ] || fail "the program runs elsewhere"
[ "$(readlink -f "/proc/$program_pid/exe")" = "$(readlink -f "$program")" ] || fail "the launcher started another program"
echo "The unpacked package fills $data and runs the program there"
