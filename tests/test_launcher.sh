#!/usr/bin/env bash
# Makes the launcher from its template, with a stand-in program that records how
# it was started and small stand-ins of the shipped files, and starts it on data
# folders prepared for each case. Needs no build.
#
#   test_launcher.sh TEMPLATE CASE WORKING_FILES...
#
# CASE is one of the functions named case_* below, without the prefix, or "all".
# Exits 77 (skipped) when a tool the case needs is missing.
set -euo pipefail
template=$1 case=$2
shift 2
working_files=("$@")

for name in teams4.txt teams5.txt last.txt base.mdb; do
    [[ " ${working_files[*]} " == *" $name "* ]] || { echo "FAILED: $name is not among the working files" >&2; exit 1; }
done
real_ln=$(command -v ln)

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND" >&2' ERR

# A fresh folder for one case: the launcher in bin/ beside the stand-in program,
# the shipped files in shipped/, wrappers of tools in stubs/ (first on PATH).
setup() {
    work=$(mktemp -d /tmp/korvana-launcher.XXXXXX)
    mkdir "$work/bin" "$work/shipped" "$work/stubs"
    local file
    for file in "${working_files[@]}"; do
        printf 'shipped %s\r\n' "$file" >"$work/shipped/$file"
    done
    # Bigger than the file size limit of the full disk case.
    printf '%065536d' 0 >"$work/shipped/base.mdb"
    chmod 0644 "$work/shipped"/*
    sed -e 's|@KORVANA_LAUNCHER_PROGRAM@|korvana|g' -e 's|@KORVANA_LAUNCHER_SHIPPED@|../shipped|g' \
        -e "s|@KORVANA_LAUNCHER_FILES@|${working_files[*]}|g" -e 's|@KORVANA_LAUNCHER_COMMAND@|korvana3|g' \
        "$template" >"$work/bin/korvana3"
    ! grep -n '@[A-Z_]*@' "$work/bin/korvana3" || fail "the template has a placeholder this test does not fill"
    chmod 0755 "$work/bin/korvana3"
    cat >"$work/bin/korvana" <<EOF
#!/bin/sh
log=$work/program
printf '%s' "\$\$" >"\$log.pid"
pwd -P >"\$log.cwd"
printf '%s' "\$#" >"\$log.argc"
printf '%s' "\${1-}" >"\$log.arg1"
printf '%s' "\${2-}" >"\$log.arg2"
readlink "/proc/\$\$/fd/9" >"\$log.fd9" 2>/dev/null || :
[ "\${1-}" != --launcher-failure ]
EOF
    chmod 0755 "$work/bin/korvana"
    data=$work/data
    umask 022 # the modes the cases expect of the copies
}
# Processes a case starts in the background, ended with it.
background=()
cleanup() {
    if [ ${#background[@]} -gt 0 ]; then
        kill "${background[@]}" 2>/dev/null || :
        wait "${background[@]}" 2>/dev/null || :
    fi
    if [ -n "${work:-}" ]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT

# Starts the launcher with only the variables given of its own (NAME=VALUE, or
# -NAME to leave NAME unset): none of KORVANA_DATA, XDG_DATA_HOME, DISPLAY and
# WAYLAND_DISPLAY otherwise, HOME in the case's folder. Sets status.
launch() {
    local unset=(-u KORVANA_DATA -u XDG_DATA_HOME -u DISPLAY -u WAYLAND_DISPLAY) vars=() home="HOME=$work/home" arg
    for arg; do
        case $arg in
        -HOME) unset+=(-u HOME) home= ;;
        HOME=*) home=$arg ;;
        *) vars+=("$arg") ;;
        esac
    done
    rm -f "$work"/program.*
    status=0
    env "${unset[@]}" ${home:+"$home"} PATH="$work/stubs:$PATH" "${vars[@]}" "$work/bin/korvana3" \
        >"$work/out" 2>"$work/err" || status=$?
}
program_ran() { [ -e "$work/program.argc" ]; }

# A wrapper of a tool (cp, mv) that logs the last argument of each call. With
# RACE_TARGET set, a call on that file or a copy of it makes the file (with
# RACE_KIND=link, a dangling link) just before or after the real tool runs, as a
# user or another launcher would in the moment before the copy takes its name.
stub_racing() {
    local tool=$1 when=$2
    cat >"$work/stubs/$tool" <<EOF
#!/bin/sh
race() {
    name=\${RACE_TARGET##*/}
    case \$last in
    */"\$name" | */"\$name".* | */."\$name".*) ;;
    *) return 0 ;;
    esac
    if [ ! -e "\$RACE_TARGET" ] && [ ! -L "\$RACE_TARGET" ]; then
        if [ "\${RACE_KIND:-file}" = link ]; then
            "$real_ln" -s "$work/nowhere" "\$RACE_TARGET"
        else
            printf 'made by the user\r\n' >"\$RACE_TARGET"
        fi
    fi
}
for last; do :; done
printf '%s\n' "\$last" >>"$work/$tool.log"
if [ -n "\${RACE_TARGET:-}" ] && [ $when = before ]; then race; fi
"$(command -v "$tool")" "\$@" || exit
if [ -n "\${RACE_TARGET:-}" ] && [ $when = after ]; then race; fi
EOF
    chmod 0755 "$work/stubs/$tool"
}

# What the data folder holds besides the working files.
extra_entries() {
    local entry file
    while IFS= read -r entry; do
        for file in "${working_files[@]}"; do
            [ "$entry" != "$file" ] || continue 2
        done
        echo "$entry"
    done < <(ls -A "$1")
}
expect_shipped_copies() {
    local file
    for file in "${working_files[@]}"; do
        { [ -f "$data/$file" ] && [ ! -L "$data/$file" ]; } || fail "$file was not copied"
        cmp -s "$work/shipped/$file" "$data/$file" || fail "$file is not the shipped one"
    done
}

# A failure the launcher cannot get past: a status, a message in Russian naming
# what failed (each further argument must be in it), the program shown that
# message with a display and not run without one, and no copy left behind.
expect_failure() {
    local context=$1 display=$2
    shift 2
    [ "$status" -ne 0 ] || fail "$context: the launcher succeeded"
    grep -q 'Korvana 3 не запущена' "$work/err" || fail "$context: no Russian message: $(cat "$work/err")"
    local part
    for part in "$@"; do
        grep -qF -- "$part" "$work/err" || fail "$context: the message does not name $part: $(cat "$work/err")"
    done
    if [ -z "$display" ]; then
        ! program_ran || fail "$context: the program ran without a display"
    else
        program_ran || fail "$context: the message was not shown in a window"
        { [ "$(cat "$work/program.argc")" = 2 ] && [ "$(cat "$work/program.arg1")" = --launcher-failure ]; } ||
            fail "$context: the program was started as $(cat "$work/program.arg1") ..."
        local shown
        shown=$(cat "$work/program.arg2")
        [[ $shown == 'Korvana 3 не запущена'* && $(cat "$work/err") == *"$shown"* ]] ||
            fail "$context: the window says another thing than stderr: $shown"
    fi
    if [ -d "$data" ] && [ -n "$(extra_entries "$data")" ]; then
        fail "$context: left in the data folder: $(extra_entries "$data")"
    fi
}

case_CopiesMissingFilesAndStartsTheProgramInTheDataFolder() {
    data=$work/new/nested/data
    launch KORVANA_DATA="$data" DISPLAY=:99
    [ "$status" -eq 0 ] || fail "the launcher failed: $(cat "$work/err")"
    grep -qx "Data folder: $data" "$work/out" || fail "the launcher named another folder: $(cat "$work/out")"
    expect_shipped_copies
    for file in "${working_files[@]}"; do
        [ "$(stat -c %a "$data/$file")" = 644 ] || fail "$file has mode $(stat -c %a "$data/$file") under umask 022"
    done
    [ -z "$(extra_entries "$data")" ] || fail "left in the data folder: $(extra_entries "$data")"
    [ "$(cat "$work/program.argc")" = 0 ] || fail "the program was given arguments"
    [ "$(cat "$work/program.cwd")" = "$(cd "$data" && pwd -P)" ] || fail "the program runs in $(cat "$work/program.cwd")"
    [ "$(cat "$work/program.fd9" 2>/dev/null)" != "$(cd "$data" && pwd -P)" ] || fail "the program inherits the folder's lock"

    # A folder in use: the user's files stay as they are, only the missing come.
    rm "$data/teams5.txt" "$data/base.mdb"
    printf 'Edited by the user\r\n' >"$data/teams4.txt"
    chmod 0600 "$data/teams4.txt"
    touch -d '2020-01-02 03:04:05' "$data/teams4.txt"
    (
        umask 027
        launch KORVANA_DATA="$data" DISPLAY=:99
        [ "$status" -eq 0 ] || fail "the launcher failed on a folder in use: $(cat "$work/err")"
    )
    [ "$(cat "$data/teams4.txt")" = $'Edited by the user\r' ] || fail "the user's teams4.txt was replaced"
    [ "$(stat -c '%a %Y' "$data/teams4.txt")" = "600 $(date -d '2020-01-02 03:04:05' +%s)" ] ||
        fail "the user's teams4.txt was touched"
    cmp -s "$work/shipped/base.mdb" "$data/base.mdb" || fail "the missing base.mdb was not copied"
    [ "$(stat -c %a "$data/base.mdb")" = 640 ] || fail "base.mdb has mode $(stat -c %a "$data/base.mdb") under umask 027"
    program_ran || fail "the program did not start on a folder in use"

    # Started as the launcher's own process, so that the menu sees the program.
    rm -f "$work"/program.*
    env KORVANA_DATA="$data" DISPLAY=:99 "$work/bin/korvana3" >/dev/null 2>&1 &
    local pid=$!
    wait "$pid" || :
    [ "$(cat "$work/program.pid")" = "$pid" ] || fail "the program runs in a process of its own beside the launcher"

    # Without a display the folder is made ready and the launcher says why it stops.
    rm -r "$data"
    launch KORVANA_DATA="$data"
    [ "$status" -ne 0 ] || fail "the launcher succeeded without a display"
    grep -q "no graphical display was found" "$work/err" || fail "no message without a display: $(cat "$work/err")"
    ! program_ran || fail "the program ran without a display"
    expect_shipped_copies
}

case_NeverWritesThroughPlantedLinks() {
    mkdir "$data"
    printf 'victim\n' >"$work/victim"
    chmod 0644 "$work/victim"
    # Links to a file of the user's and links to nowhere, by turns.
    local file name n=0
    for file in "${working_files[@]}"; do
        for name in "$file.copying" "$file.tmp" "$file.new" "$file~" ".$file.korvana-copy" ".$file.korvana-copy.XXXXXX"; do
            n=$((n + 1))
            if (((n + ${#file}) % 2)); then
                ln -s "$work/victim" "$data/$name"
            else
                ln -s "$work/made-$n" "$data/$name"
            fi
        done
    done
    stub_racing cp after
    launch KORVANA_DATA="$data" DISPLAY=:99
    [ "$status" -eq 0 ] || fail "the launcher failed: $(cat "$work/err")"
    { [ "$(cat "$work/victim")" = victim ] && [ ! -L "$work/victim" ]; } || fail "a copy was written through a planted link"
    [ -z "$(find "$work" -maxdepth 1 -name 'made-*')" ] || fail "a copy made a file through a planted link"
    expect_shipped_copies
    # Each copy was made in the data folder under a fresh hidden name of its own.
    for file in "${working_files[@]}"; do
        grep -qxE "$data/\\.${file//./\\.}\\.korvana-copy\\.[A-Za-z0-9]{6}" "$work/cp.log" ||
            fail "$file was not copied under a fresh hidden name: $(cat "$work/cp.log")"
    done
    [ "$(grep -c . "$work/cp.log")" = "${#working_files[@]}" ] || fail "copied elsewhere: $(cat "$work/cp.log")"
}

case_NeverReplacesAFileThatAppearsDuringTheCopy() {
    mkdir "$data"
    stub_racing cp after
    launch KORVANA_DATA="$data" DISPLAY=:99 RACE_TARGET="$data/teams4.txt"
    [ "$(cat "$data/teams4.txt")" = $'made by the user\r' ] || fail "the copy replaced a file made meanwhile"
    { [ "$status" -eq 0 ] && program_ran; } || fail "a file made meanwhile stopped the launcher: $(cat "$work/err")"
    [ -z "$(extra_entries "$data")" ] || fail "left in the data folder: $(extra_entries "$data")"

    rm -r "$data"
    mkdir "$data"
    launch KORVANA_DATA="$data" DISPLAY=:99 RACE_TARGET="$data/base.mdb" RACE_KIND=link
    [ "$(readlink "$data/base.mdb")" = "$work/nowhere" ] || fail "the copy replaced a link made meanwhile"
    { [ "$status" -eq 0 ] && [ -z "$(extra_entries "$data")" ]; } || fail "a link made meanwhile: $(cat "$work/err")"

    # A file system without hard links: the copies are renamed, but never over a
    # file made meanwhile, here in the moment before the rename.
    rm "$work/stubs/cp"
    stub_racing mv before
    printf '#!/bin/sh\necho "ln: failed to create hard link: Operation not permitted" >&2\nexit 1\n' >"$work/stubs/ln"
    chmod 0755 "$work/stubs/ln"
    rm -r "$data"
    mkdir "$data"
    launch KORVANA_DATA="$data" DISPLAY=:99 RACE_TARGET="$data/last.txt"
    [ "$(cat "$data/last.txt")" = $'made by the user\r' ] || fail "without hard links, the copy replaced a file made meanwhile"
    { [ "$status" -eq 0 ] && program_ran; } || fail "without hard links the launcher failed: $(cat "$work/err")"
    [ -z "$(extra_entries "$data")" ] || fail "without hard links, left in the data folder: $(extra_entries "$data")"
    cmp -s "$work/shipped/teams4.txt" "$data/teams4.txt" || fail "without hard links teams4.txt was not copied"
}

case_KeepsTheUsersLinks() {
    mkdir "$data"
    ln -s "$work/gone" "$data/teams5.txt"
    printf 'my last\r\n' >"$work/mylast"
    ln -s "$work/mylast" "$data/last.txt"
    launch KORVANA_DATA="$data" DISPLAY=:99
    [ "$status" -eq 0 ] || fail "the launcher failed: $(cat "$work/err")"
    { [ -L "$data/teams5.txt" ] && [ "$(readlink "$data/teams5.txt")" = "$work/gone" ]; } || fail "a dangling link was replaced"
    [ ! -e "$work/gone" ] || fail "a file was made through a dangling link"
    { [ "$(readlink "$data/last.txt")" = "$work/mylast" ] && [ "$(cat "$work/mylast")" = $'my last\r' ]; } ||
        fail "a linked data file was changed"
}

case_RemovesOnlyItsOwnLeftovers() {
    mkdir "$data"
    local ours=(.teams4.txt.korvana-copy.Ab12Cd .base.mdb.korvana-copy.0aZ9xQ .last.txt.korvana-copy.zzzzzz)
    local users=(teams4.txt.backup teams4.txt.copying last.txt.202601 .teams4.txt.korvana-copy
                 .teams4.txt.korvana-copy.Ab12Cd.keep .teams4.txt.korvana-copy.my-old .teams4.txt.korvana-copy.Ab12C
                 .notes.txt.korvana-copy.Ab12Cd x.teams4.txt.korvana-copy.Ab12Cd)
    local name
    for name in "${ours[@]}" "${users[@]}"; do
        printf 'cut' >"$data/$name"
    done
    printf 'Edited by the user\r\n' >"$data/last.txt"
    launch KORVANA_DATA="$data" DISPLAY=:99
    [ "$status" -eq 0 ] || fail "the launcher failed: $(cat "$work/err")"
    for name in "${ours[@]}"; do
        [ ! -e "$data/$name" ] || fail "the leftover $name was not removed"
    done
    for name in "${users[@]}"; do
        [ "$(cat "$data/$name" 2>/dev/null)" = cut ] || fail "the user's $name was removed"
    done
    [ "$(cat "$data/last.txt")" = $'Edited by the user\r' ] || fail "the user's last.txt was replaced"
}

case_LeavesAnotherLaunchersCopiesAlone() {
    command -v flock >/dev/null || { echo "SKIPPED: flock is not installed (Debian: util-linux)"; exit 77; }
    mkdir "$data"
    printf 'in progress' >"$data/.teams4.txt.korvana-copy.Ab12Cd"
    # Another launcher in its copy phase, holding the folder until told to end.
    (
        exec 8<"$data"
        flock 8
        touch "$work/held"
        while [ ! -e "$work/release" ]; do sleep 0.05; done
    ) &
    local holder=$!
    background+=("$holder")
    while [ ! -e "$work/held" ]; do sleep 0.05; done
    launch KORVANA_DATA="$data" DISPLAY=:99 &
    local launcher=$!
    background+=("$launcher")
    sleep 1
    [ -e "$data/.teams4.txt.korvana-copy.Ab12Cd" ] || fail "another launcher's copy in progress was removed"
    ! program_ran || fail "the launcher did not wait for another one"
    touch "$work/release"
    wait "$holder" "$launcher"
    background=()
    program_ran || fail "the launcher did not go on once the other one was done"
    [ ! -e "$data/.teams4.txt.korvana-copy.Ab12Cd" ] || fail "the leftover was not removed once the other launcher was done"
}

case_ReportsAFolderThatCannotBeMade() {
    printf 'a file\n' >"$work/file"
    for display in "" DISPLAY=:99 WAYLAND_DISPLAY=wayland-0; do
        data=$work/file/korvana
        launch KORVANA_DATA="$data" ${display:+"$display"}
        expect_failure "a folder under a file, ${display:-no display}" "$display" "$data"
        data=$work/file
        launch KORVANA_DATA="$data" ${display:+"$display"}
        expect_failure "a file at the folder's name, ${display:-no display}" "$display" "$data"
        [ "$(cat "$work/file")" = "a file" ] || fail "the file at the folder's name was changed"
    done
}

case_ReportsAFullDiskDuringTheCopy() {
    for display in "" DISPLAY=:99; do
        rm -rf "$data"
        # base.mdb is bigger than the limit, the lists are far smaller.
        (
            ulimit -f 16
            launch KORVANA_DATA="$data" ${display:+"$display"}
            echo "$status" >"$work/status"
        )
        status=$(cat "$work/status")
        expect_failure "a full disk, ${display:-no display}" "$display" base.mdb "$data"
        [ ! -e "$data/base.mdb" ] || fail "a cut base.mdb was left"
        cmp -s "$work/shipped/teams4.txt" "$data/teams4.txt" || fail "teams4.txt, copied before, is not whole"
    done
}

case_FindsTheHomeFolderWithoutHOME() {
    # A user the machine does not know, so that nothing can reach a real home.
    printf '#!/bin/sh\necho 4000001\n' >"$work/stubs/id"
    cat >"$work/stubs/getent" <<EOF
#!/bin/sh
[ -e "$work/passwd-knows" ] && [ "\$1" = passwd ] && [ "\$2" = 4000001 ] || exit 2
echo "player:x:4000001:4000001:Player:$work/pwhome:/bin/sh"
EOF
    chmod 0755 "$work/stubs/id" "$work/stubs/getent"
    touch "$work/passwd-knows"
    data=$work/pwhome/.local/share/korvana
    for home in -HOME HOME=; do
        launch "$home" DISPLAY=:99
        { [ "$status" -eq 0 ] && program_ran; } || fail "$home: the launcher failed: $(cat "$work/err")"
        grep -qx "Data folder: $data" "$work/out" || fail "$home: the launcher named another folder: $(cat "$work/out")"
        expect_shipped_copies
        rm -r "$work/pwhome"
    done

    data=$work/home/.local/share/korvana
    launch DISPLAY=:99
    grep -qx "Data folder: $data" "$work/out" || fail "HOME set: the launcher named another folder: $(cat "$work/out")"
    launch XDG_DATA_HOME="$work/xdg" DISPLAY=:99
    grep -qx "Data folder: $work/xdg/korvana" "$work/out" || fail "XDG_DATA_HOME: the launcher named another folder"

    rm "$work/passwd-knows"
    data=$work/pwhome/.local/share/korvana
    for display in "" DISPLAY=:99; do
        launch -HOME ${display:+"$display"}
        expect_failure "no home anywhere, ${display:-no display}" "$display" KORVANA_DATA
        [ ! -e "$work/pwhome" ] || fail "a folder was made with no home known"
    done
}

cases=$(declare -F | sed -n 's/^declare -f case_//p')
if [ "$case" = all ]; then
    failed=0
    for one in $cases; do
        if ("$0" "$template" "$one" "${working_files[@]}"); then echo "ok $one"; else echo "NOT OK $one"; failed=1; fi
    done
    exit "$failed"
fi
grep -qx -- "$case" <<<"$cases" || fail "no case $case; the cases are: $cases"
setup
"case_$case"
echo "The launcher passes $case"
