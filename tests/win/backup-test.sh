#!/usr/bin/env bash
# End-to-end scenarios of the backups under Wine: the real command-line front end, the real runner and the
# Device Console stand-in, whose packages lie as files on the prefix's disk. Checked through the output, the
# stand-in's journal and state, the files of the driver store and of the backups, and the tool's log.
# usage: backup-test.sh <scenario> <prefix-dir> <win32-bin> <win64-bin> <source-dir> <work-dir>
set -uo pipefail
scenario=$1 prefix=$2 bin32=$3 bin64=$4 source=$5 work=$6

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
expect_has() { grep -q -F -- "$2" <<<"$1" || fail "$3: [$2] not found in: $1"; }
expect_lacks() { ! grep -q -F -- "$2" <<<"$1" || fail "$3: [$2] should not appear in: $1"; }

case "$(basename "$prefix")" in
    win64) tool=devconx64 tool_exe=$bin64/devconx64.exe arch=amd64 ;;
    *) tool=devcon tool_exe=$bin32/devcon.exe arch=x86 ;;
esac
windows=$prefix/drive_c/windows
store=$windows/system32/DriverStore/FileRepository
log_file=$prefix/drive_c/ProgramData/ToolLog/videzure.txt
to_windows() { printf 'Z:%s' "${1//\//\\}"; }
# Every awkward character in the backup location: blanks, &, ^, %, !, straight and curly apostrophes, Chinese.
backups="$work.backups/备份 A&B^C %OS% !x! 'y' ‘z’ 目录"
state=$work.state.txt

# Runs the front end from a fresh program folder on the simulated PC in $state (the demo at first); the state
# afterwards goes back to $state. Sets out, err, rc and journal.
run_cli() {
    local where=(--backup-dir "$(to_windows "$backups")")
    [ "$1" == detect ] && where=()
    "$source/tests/wine-test.sh" "$prefix" "$work" "$bin32/TolvikDriverUninstallCli.exe" --with "$tool_exe" \
        --with "$bin32/ParsingString.xml" --pc "$state" -- "$@" "${where[@]}" >"$work.out" 2>"$work.err"
    rc=$?
    out=$(cat "$work.out")
    err=$(cat "$work.err")
    journal=$(tr -d '\r' <"$work/sim/journal.txt" | cut -f2 | sed -E 's/^\.\\(devcon(x64)?)\.exe /\1 /')
    cp "$work/sim/pc.txt" "$state"
}
changes() { grep -v -E "^$tool (driverfiles|drivernodes) " <<<"$journal"; }
json() { python3 -c "import json,sys; d=json.load(open('$work.out', encoding='utf-8')); $1"; }
# The output validates against the JSON schema of the command line.
valid_json() {
    python3 - "$source/docs/cli-output.schema.json" "$work.out" <<'PY' || fail "output does not match the schema"
import json, sys
import jsonschema
jsonschema.validate(json.load(open(sys.argv[2], encoding="utf-8")), json.load(open(sys.argv[1], encoding="utf-8")))
PY
}
package_state() { awk -v p="package $1" '$0 == p { on = 1; next } /^(device|package) / { on = 0 } on && /^ *(deleted|published) /' "$state" | tr -s ' ' | tr '\n' ';'; }
card_driver() { awk '/^device PCI\\VEN_8086&DEV_3E9B/ { on = 1; next } /^(device|package) / { on = 0 } on && /^ *driver /{ print $2 }' "$state"; }
latest() { ls -d "$backups"/*/ 2>/dev/null | sort | tail -1; }
folder_of() { ls -d "$store"/iigd_dch.inf_${arch}_$1 2>/dev/null; }
# Reads the whole log: "grep -q" would end at the first match and, under pipefail, fail the pipe it left.
log_has() { [ -f "$log_file" ] && iconv -f GBK -t UTF-8 -c <"$log_file" | grep -F -- "$1" >/dev/null; }

mkdir -p "$(dirname "$work")"
rm -rf "$work.backups"
cp "$source/demo/pc.txt" "$state"

case "$scenario" in
backup-restore)
    # The window's road on the command line: oem12 is in use, so the card is removed, the package deleted
    # and the hardware rescanned; the backup comes first.
    run_cli uninstall --device 8086_3E9B --inf oem12.inf --json
    expect_eq "$rc" 0 "uninstall exit code"
    valid_json
    expect_eq "$(json 'print(d["success"], d["backup"]["made"])')" "True True" "uninstalled with a backup"
    backup=$(latest)
    [ -n "$backup" ] || fail "no backup folder in $backups"
    expect_eq "$(folder_of 1c2b2b6e5e0a1c3d)" "" "the store folder is deleted"
    [ -f "$windows/inf/oem12.inf" ] && fail "the published INF is deleted"
    saved="$backup/iigd_dch.inf_${arch}_1c2b2b6e5e0a1c3d"
    expect_eq "$(ls "$saved" | tr '\n' ' ')" "iigd_dch.cat iigd_dch.inf iigd_dch.sys " "the whole store folder"
    expect_eq "$(ls "$backup" | sort | tr '\n' ' ')" "$(printf '%s ' INF "$tool.exe" iigd_dch.inf_${arch}_1c2b2b6e5e0a1c3d manifest.txt 恢复驱动.cmd | tr ' ' '\n' | sort | tr '\n' ' ')" "backup folder"
    # Every file listed with its size and SHA-256, as they are on disk.
    while read -r kind sha size path; do
        [ "$kind" == file ] || continue
        file="$backup/${path//\\//}"
        expect_eq "$(sha256sum "$file" | cut -d' ' -f1) $(stat -c %s "$file")" "$sha $size" "manifest line of $path"
    done <"$backup/manifest.txt"
    cmp -s "$backup/INF/oem12.inf" "$saved/iigd_dch.inf" || fail "the published INF is the store folder's INF"
    log_has "驱动包 oem12.inf 已备份到" || fail "the log records the backup"

    run_cli restore latest --json
    expect_eq "$rc" 0 "restore exit code"
    valid_json
    expect_eq "$(json 'print(d["success"], d["publishedName"], d["current"], d["alreadyInStore"])')" \
        "True oem0.inf True False" "back under the lowest free published name, current again"
    expect_has "$(changes | head -1)" "$tool dp_add \"" "dp_add with a quoted full path"
    expect_lacks "$(changes | head -1)" "%" "no percent sign reaches the interpreter"
    expect_eq "$(changes | sed 1d | cut -d' ' -f2 | tr '\n' ' ')" "rescan update " "then rescan and update"
    expect_eq "$(card_driver)" oem12.inf "the card runs the package again"
    expect_eq "$(package_state oem12.inf)" " published oem0.inf; deleted no;" "the package is back in the store"
    # The store holds the very bytes that were saved.
    diff -r "$saved" "$(folder_of 1c2b2b6e5e0a1c3d)" >/dev/null || fail "restored store folder differs from the backup"
    cmp -s "$windows/inf/oem0.inf" "$saved/iigd_dch.inf" || fail "published again as oem0.inf"

    # Back and current: restore latest finds nothing deleted, and the backup by name changes nothing.
    run_cli restore latest
    expect_eq "$rc" $((1168 & 255)) "nothing left to restore"
    run_cli restore "$(to_windows "${backup%/}")"
    expect_eq "$rc" 0 "second restore exit code"
    expect_has "$out" "驱动包已在驱动库中（oem0.inf），并且是设备的当前驱动，没有做任何改动" "already back"
    expect_eq "$(changes)" "" "no dp_add, rescan or update"
    ;;
restore-script)
    run_cli uninstall --device 8086_3E9B --inf oem12.inf
    expect_eq "$rc" 0 "uninstall exit code"
    backup=$(latest)
    # A double-click runs the script from its own folder; /q leaves out the closing pause.
    cp "$state" "$work/sim/pc.txt" && : >"$work/sim/journal.txt"
    (cd "$backup" && WINEPREFIX=$prefix WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
        TOLVIK_SIM_DIR="$(to_windows "$work/sim")" wine cmd /c 恢复驱动.cmd /q >"$work.out" 2>&1)
    expect_eq "$?" 0 "script exit code"
    expect_has "$(iconv -f GBK -t UTF-8 -c <"$work.out")" "驱动已恢复。" "the script says so"
    journal=$(tr -d '\r' <"$work/sim/journal.txt" | cut -f2)
    expect_eq "$(cut -d' ' -f2 <<<"$journal" | tr '\n' ' ')" "dp_add rescan update " "the script's commands"
    expect_has "$(head -1 <<<"$journal")" "$(to_windows "$backup")" "dp_add gets the full path, nothing expanded"
    cp "$work/sim/pc.txt" "$state"
    expect_eq "$(card_driver)" oem12.inf "the card runs the package again"
    [ -n "$(folder_of 1c2b2b6e5e0a1c3d)" ] || fail "the store folder is back"
    ;;
old)
    # The card's two old packages go, oldest first, each backed up; an unplugged device that was installed
    # from oem8 would hold it: see old-refused.
    run_cli uninstall --device 8086_3E9B --old --json
    expect_eq "$rc" 0 "exit code"
    valid_json
    expect_eq "$(changes | tr '\n' ';')" "$tool dp_delete oem3.inf;$tool dp_delete oem8.inf;" "unforced deletes, oldest first"
    expect_eq "$(json 'print([(s["infName"], s["result"]) for s in d["devices"][0]["steps"]], d["freed"] > 0)')" \
        "[('oem3.inf', 'deleted'), ('oem8.inf', 'deleted')] True" "both deleted, space freed"
    expect_eq "$(ls "$backups" | sed 's/^[0-9-]* //' | sort | tr '\n' ';')" "8086_3E9B oem3.inf;8086_3E9B oem8.inf;" "one backup each"
    expect_eq "$(card_driver)" oem12.inf "the card keeps its driver"
    grep -q -E '^\s*present\s+removed' "$state" && fail "a device was removed"

    run_cli backups --json
    valid_json
    expect_eq "$(json 'print([(b["inf"], b["inStore"]) for b in d["backups"]])')" \
        "[('oem3.inf', False), ('oem8.inf', False)]" "listed oldest first, not in the store"
    run_cli backups --prune --keep 1 --json
    valid_json
    expect_eq "$(ls "$backups" | sed 's/^[0-9-]* //')" "8086_3E9B oem8.inf" "the newest stays"
    # The inventory's JSON follows the same schema.
    run_cli detect --json
    valid_json
    expect_eq "$(json 'print(d["schema"], d["command"])')" "2 detect" "detect names its schema"
    ;;
old-refused)
    # A webcam that is not plugged in was installed from oem8: the unforced delete is refused and its backup
    # taken back; the all-devices dry run shows and changes nothing.
    printf '\ndevice PCI\\VEN_8086&DEV_3E9B&SUBSYS_99998086&REV_00\\9&1&0&10\n    hardware-id PCI\\VEN_8086&DEV_3E9B&SUBSYS_99998086&REV_00\n    present unplugged\n    driver oem8.inf\n    node oem8.inf\n        section iCFL_old\n        description Intel(R) UHD Graphics 630\n        rank 16719872\n' >>"$state"
    run_cli uninstall --all-devices --old --dry-run
    expect_eq "$rc" 0 "dry run exit code"
    expect_eq "$(changes)" "" "a dry run deletes nothing"
    expect_has "$out" "oem31.inf" "the Bluetooth card's old package is planned"
    run_cli uninstall --device 8086_3E9B --old --json
    expect_eq "$(json 'print([(s["infName"], s["result"]) for s in d["devices"][0]["steps"]])')" \
        "[('oem3.inf', 'deleted'), ('oem8.inf', 'refused')]" "oem8 is refused"
    expect_eq "$(ls "$backups" | sed 's/^[0-9-]* //')" "8086_3E9B oem3.inf" "no backup kept for the refused one"
    expect_eq "$(package_state oem8.inf)" "" "oem8 stays"
    ;;
backup-fails)
    # A backup location that cannot be made: the deletion proceeds and the log says why; --require-backup
    # refuses instead.
    mkdir -p "$work.backups" && : >"$backups"
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf --require-backup
    expect_eq "$rc" $((1603 & 255)) "refused exit code" # the low byte: all Wine hands the shell
    expect_eq "$(changes)" "" "nothing deleted without a backup"
    log_has "没有备份驱动包，按要求不卸载" || fail "the log says why"
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf
    expect_eq "$rc" 0 "exit code"
    expect_has "$out" "没有备份: 无法在备份位置" "the reason is shown"
    expect_eq "$(changes)" "$tool -f dp_delete oem21.inf" "deleted all the same"
    ;;
tampered)
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf
    backup=$(latest)
    printf 'x' >>"$backup"/nvlddmkm.inf_*/nvlddmkm.sys
    run_cli restore "$(to_windows "$backup")"
    expect_eq "$rc" $((1603 & 255)) "refused exit code" # the low byte: all Wine hands the shell
    expect_has "$err" "nvlddmkm.sys 已被修改（SHA-256 不符）" "names the changed file"
    expect_eq "$(changes)" "" "nothing ran"
    run_cli restore "$(to_windows "$work.backups/none")"
    expect_eq "$rc" $((1168 & 255)) "not a backup"
    expect_has "$err" "不是完整的驱动备份文件夹" "clear message"
    ;;
links)
    # Links planted in a backup and in place of one lead out of the backups; pruning never follows them.
    # Wine shows Unix links and cannot remove them as links, so the prune stops there, safely.
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf
    run_cli uninstall --device 8086_3E9B --inf oem12.inf
    older=$(ls -d "$backups"/*/ | sort | head -1) && older=${older%/}
    outside=$work.outside
    rm -rf "$outside" && mkdir -p "$outside/folder" && echo precious >"$outside/folder/keep.txt"
    echo precious >"$outside/file.txt"
    cp -r "$older" "$outside/copy"
    ln -s "$outside/folder" "$older/folder link"
    ln -s "$outside/file.txt" "$older/file link.txt"
    ln -s "$outside/copy" "$backups/20200101-000000 planted oem21.inf"
    run_cli backups --json
    valid_json
    expect_eq "$(json 'print([(b["inf"], b["trusted"]) for b in d["backups"]])')" \
        "[('oem21.inf', False), ('oem21.inf', True), ('oem12.inf', True)]" "the planted link is listed, not trusted"
    expect_has "$(json 'print(d["backups"][0]["distrust"])')" "链接" "says it is a link"
    run_cli backups --prune --keep 1 --json
    expect_eq "$rc" $((1603 & 255)) "a backup that cannot be removed is an error"
    valid_json
    expect_has "$(json 'print(d["error"])')" "$(basename "$older")" "names the backup"
    expect_eq "$(cat "$outside/folder/keep.txt" "$outside/file.txt" | tr '\n' ' ')" "precious precious " \
        "nothing a link leads to is touched"
    [ -f "$outside/copy/manifest.txt" ] && [ -L "$backups/20200101-000000 planted oem21.inf" ] ||
        fail "the backup that is a link and what it leads to stay"
    [ -L "$older.removing/folder link" ] || fail "the half-removed backup lies aside with its link"
    [ -e "$older.removing/manifest.txt" ] && fail "its own files are removed"
    run_cli backups --json
    expect_eq "$(json 'print([b["inf"] for b in d["backups"] if b["trusted"]])')" "['oem12.inf']" \
        "the half-removed backup is not listed"
    # A backup location that is itself a link is not trusted: no backup is made into it.
    rm -rf "$outside/root" && mkdir -p "$outside/root"
    backups=$work.backups/linked && ln -sfn "$outside/root" "$backups"
    run_cli uninstall --device 10EC_8168 --inf oem25.inf --require-backup
    expect_eq "$rc" $((1603 & 255)) "no deletion without a trusted backup location"
    expect_eq "$(changes)" "" "nothing deleted"
    expect_eq "$(ls "$outside/root")" "" "nothing written through the link"
    ;;
latest)
    # restore latest takes the last package really deleted, not a backup of one that is back in the store.
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf
    first=$(latest)
    run_cli uninstall --device 8086_3E9B --inf oem12.inf
    second=$(latest)
    [ "$first" != "$second" ] || fail "two backups"
    run_cli restore "$(to_windows "${second%/}")"
    expect_eq "$rc" 0 "oem12 restored by its folder"
    run_cli restore latest --json
    expect_eq "$rc" 0 "restore latest"
    expect_eq "$(json 'print(d["backup"].rstrip("\\").split("\\")[-1])')" "$(basename "$first")" "the oem21 backup"
    expect_eq "$(package_state oem21.inf)" " published oem1.inf; deleted no;" "oem21 is back, after oem12 took oem0"
    run_cli restore latest
    expect_eq "$rc" $((1168 & 255)) "nothing left to restore"
    expect_has "$err" "没有可以恢复的备份" "says so"
    expect_eq "$(changes)" "" "and changes nothing"
    # A refused deletion leaves no backup: the wireless card needs a reboot to be removed.
    before=$(ls "$backups" | wc -l)
    run_cli uninstall --device 8086_9DF0 --inf oem30.inf --json
    expect_eq "$rc" $((3010 & 255)) "refused until a restart"
    expect_eq "$(json 'print(d["backup"]["made"], d["backup"]["reason"])')" "False 驱动包没有删除，备份已撤回" \
        "the backup is taken back"
    expect_eq "$(ls "$backups" | wc -l)" "$before" "no backup of a package that is still there"
    ;;
untrusted)
    # A backup others can write is marked, skipped by restore latest and refused by name. Wine keeps no
    # Windows access list: it shows the Unix mode, so "others may write" is the mode's o+w.
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf
    backup=$(latest) && backup=${backup%/}
    run_cli backups --json
    expect_eq "$(json 'print([b["trusted"] for b in d["backups"]])')" "[True]" "the tool's own backup is trusted"
    [ "$(( 0$(stat -c %a "$backup") & 2 ))" -eq 0 ] || fail "the backup folder is not writable by others"
    chmod o+w "$backup"
    run_cli backups --json
    expect_eq "$(json 'print([b["trusted"] for b in d["backups"]])')" "[False]" "marked"
    expect_has "$(json 'print(d["backups"][0]["distrust"])')" "也能写入" "says who may write"
    run_cli restore latest
    expect_eq "$rc" $((1168 & 255)) "restore latest skips it"
    run_cli restore "$(to_windows "$backup")"
    expect_eq "$rc" $((1603 & 255)) "refused by name"
    expect_has "$err" "不恢复" "a clear message"
    expect_eq "$(changes)" "" "nothing ran"
    chmod o-w "$backup"
    ;;
long-path)
    # A backup deeper than 260 characters is made, listed and restored like any other.
    backups="$work.backups/$(printf 'a%.0s' {1..100})/$(printf '备%.0s' {1..60})/$(printf 'c%.0s' {1..100})"
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf --json
    expect_eq "$(json 'print(d["success"], d["backup"]["made"], len(d["backup"]["folder"]) > 300)')" \
        "True True True" "a backup past 260 characters"
    run_cli restore latest --json
    expect_eq "$rc" 0 "restored"
    expect_eq "$(package_state oem21.inf)" " published oem0.inf; deleted no;" "oem21 is back"
    ;;
disk-check)
    # The stand-in says "deleted" but its published INF cannot go: the deletion failed, the backup stays.
    run_cli detect
    inf="$windows/inf/oem21.inf"
    if ! chattr +i "$inf" 2>/dev/null; then
        echo "disk-check: skipped (no immutable files on this file system)"
        exit 77
    fi
    trap 'chattr -i "$inf"' EXIT
    run_cli uninstall --device 10DE_1C8D --inf oem21.inf --json
    chattr -i "$inf"
    expect_eq "$rc" $((1603 & 255)) "the uninstall fails"
    expect_eq "$(json 'print(d["result"], d["backup"]["made"])')" "卸载失败 True" "failed, the backup kept"
    expect_eq "$(changes)" "$tool -f dp_delete oem21.inf" "the tool was asked once"
    log_has "仍在，删除没有生效" || fail "the log has an entry of its own"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] && echo "$scenario: passed" || echo "$scenario: $failures check(s) failed" >&2
exit $((failures > 0))
