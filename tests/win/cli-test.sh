#!/usr/bin/env bash
# End-to-end scenarios of the command-line front end under Wine: the real scan of the demo registry, the
# real runner and the Device Console stand-in, checked through its output, the stand-in's journal and state,
# and the tool's log.
# usage: cli-test.sh <scenario> <prefix-dir> <win32-bin> <win64-bin> <source-dir> <work-dir>
set -uo pipefail
scenario=$1 prefix=$2 bin32=$3 bin64=$4 source=$5 work=$6
here=$(cd "$(dirname "$0")" && pwd)

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
expect_has() { grep -q -F -- "$2" <<<"$1" || fail "$3: [$2] not found in: $1"; }
expect_lacks() { ! grep -q -F -- "$2" <<<"$1" || fail "$3: [$2] should not appear"; }

case "$(basename "$prefix")" in
    win64) tool=devconx64 tool_exe=$bin64/devconx64.exe ;;
    *) tool=devcon tool_exe=$bin32/devcon.exe ;;
esac
log_file=$prefix/drive_c/ProgramData/ToolLog/videzure.txt
to_windows() { printf 'Z:%s' "${1//\//\\}"; }
folder_name="程序 A&B^C%D 测试"

# Runs the front end from a fresh program folder with the given PC; sets out, err, rc, journal (the tool's command
# lines, ".\devcon.exe" written "devcon") and folder_seen (the folders the tool ran in).
# run_cli <pc-file> <catalogue-file|-> <with-tool yes|no> [wine-test options] -- args...
run_cli() {
    local pc=$1 catalogue=$2 with_tool=$3
    shift 3
    # The launcher hands on the whole exit code (Wine gives the shell its low byte only).
    local files=(--with "$catalogue" --with "$bin32/TolvikDriverUninstallCli.exe") launch=(--exit-code "$(to_windows "$work.rc")")
    [ "$with_tool" == yes ] && files+=(--with "$tool_exe")
    [ "${as_standard_user:-}" == yes ] && launch+=(--standard-user)
    while [ "$1" != -- ]; do files+=("$1"); shift; done
    shift
    # Backups go to a folder of this test's own, never to the shared prefix's %ProgramData%.
    local backups=()
    [ "$1" == uninstall ] && [[ " $* " != *" --backup-dir "* ]] && backups=(--backup-dir "$(printf 'Z:%s' "${work//\//\\}").backups")
    rm -f "$work.rc"
    "$source/tests/wine-test.sh" "$prefix" "$work" "$bin32/program_launcher.exe" "${files[@]}" --pc "$pc" \
        -- "${launch[@]}" TolvikDriverUninstallCli.exe "$@" "${backups[@]}" >"$work.out" 2>"$work.err"
    rc=$(cat "$work.rc" 2>/dev/null || echo "launcher failed: $?")
    out=$(cat "$work.out")
    err=$(cat "$work.err")
    # With --json every outcome is one object that the schema describes, its exit code the process's.
    if [[ " $* " == *" --json "* ]]; then
        valid_json "$work.out" || fail "$*: output does not follow the schema: $out"
        [ "$(json 'print(d["exitCode"])')" == "$rc" ] || fail "$*: exit code $rc, JSON says otherwise"
    fi
    journal=$(tr -d '\r' <"$work/sim/journal.txt" 2>/dev/null | cut -f2 | sed -E 's/^\.\\(devcon(x64)?)\.exe /\1 /')
    folder_seen=$(tr -d '\r' <"$work/sim/journal.txt" 2>/dev/null | cut -f1 | sort -u)
}

# A copy of the demo PC with a setting before its first block, or a line added to one package's block.
# demo_with <name> [--setting LINE] [--package INF LINE]
demo_with() {
    local file=$work.$1.pc.txt setting="" package="" line=""
    shift
    case "$1" in
        --setting) setting=$2 ;;
        --package) package=$2 line=$3 ;;
    esac
    { [ -n "$setting" ] && echo "$setting"
      awk -v p="package $package" -v l="    $line" '{ print } p != "package " && $0 == p { print l }' "$demo"
    } >"$file"
    echo "$file"
}

# The commands of the journal that change something (the queries left out).
changes() { grep -v -E "^$tool (driverfiles|drivernodes) " <<<"$journal"; }
log_count() { [ -f "$log_file" ] && grep -a -c -F -- "$(printf '%s' "$1" | iconv -f UTF-8 -t GBK)" "$log_file" || echo 0; }
# The lines of one device's block in the simulated PC's state.
device_block() { awk -v id="device $1" 'index($0, id) == 1 { on = 1; print; next } /^(device|package) / { on = 0 } on' "$work/sim/pc.txt"; }
json() { python3 -c "import json,sys; d=json.load(open('$work.out', encoding='utf-8')); $1"; }
# One JSON object, nothing before or after it, valid against docs/cli-output.schema.json.
valid_json() {
    python3 - "$source/docs/cli-output.schema.json" "$1" <<'PY'
import json, sys
import jsonschema
text = open(sys.argv[2], encoding="utf-8").read()
document = json.loads(text)
assert text.count("\n") == 1 and text.endswith("\n"), "one line"
jsonschema.validate(document, json.load(open(sys.argv[1], encoding="utf-8")))
PY
}
# Runs lines as typed at a command prompt in the program folder of the run before, against its simulated PC,
# each at a prompt of its own. (The prompt reads a file: Wine's cmd takes only the first line of a pipe.)
paste_into_cmd() {
    local folder=$work/$folder_name
    local line
    while IFS= read -r line; do
        printf '%s\r\nexit\r\n' "$line" >"$work.typed.txt"
        (cd "$folder" && WINEPREFIX="$prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
            TOLVIK_SIM_DIR="$(to_windows "$work/sim")" wine cmd /Q <"$work.typed.txt" >/dev/null 2>&1)
    done <<<"$1"
    journal=$(tr -d '\r' <"$work/sim/journal.txt" 2>/dev/null | cut -f2 | sed -E 's/^\.\\(devcon(x64)?)\.exe /\1 /')
}

demo=$source/demo/pc.txt
rm -rf "$work.backups"
catalogue=$bin32/ParsingString.xml
entry_did_not_run=执行卸载驱动命令失败

case "$scenario" in
detect)
    unsafe_before=$(log_count 'PCI\VEN_1AF4^&DEV_10%0')
    run_cli "$demo" "$catalogue" yes -- detect --json
    expect_eq "$rc" 0 "exit code"
    expect_eq "$(json 'print(d["ok"], d["changed"], d["code"])')" "True False detected" "outcome"
    expect_eq "$(json 'print(" ".join(str(c["number"])+c["name"] for c in d["categories"]))')" \
        "1显卡 2声卡 3网卡 4摄像头 5蓝牙 6读卡器 7触控板 8指纹 9智音设备" "categories"
    expect_eq "$(json 'print(" ".join(",".join(x["deviceKey"] for x in c["devices"]) for c in d["categories"]))')" \
        "10DE_1C8D,8086_3E9B 10EC_0257,8086_280B 10EC_8168,8086_9DF0 046D_0825,5986_2113 8087_0AAA,BTHBRB 10EC_522A ELAN_0501,SYN2393 06CB_00BD 2F1D_A396" \
        "devices admitted by the scan (ELAN filter without SMBus, over-long ID, second instance: out)"
    expect_eq "$(json 'g=d["categories"][0]["devices"][1]; print(g["searchPattern"], [(p["infName"],p["version"],p["isCurrent"]) for p in g["packages"]])')" \
        "PCI\\VEN_8086^&DEV_3E9B [('oem12.inf', '26.20.100.7985', True), ('oem8.inf', '26.20.100.7158', False), ('oem3.inf', '25.20.100.6472', False), ('display.inf', '10.0.19041.1', False)]" \
        "graphics card with three versions, the current one marked"
    expect_eq "$(json 'print(d["categories"][8]["devices"][0]["description"])')" "智音 AI 降噪音频设备" "Chinese name"
    expect_eq "$(json 'c=d["categories"][3]["devices"][1]; print(c["deviceKey"], [(p["infName"],p["isCurrent"]) for p in c["packages"]])')" \
        "5986_2113 [('oem40.inf', True), ('usbvideo.inf', False)]" \
        "the camera gets its own packages, not those of its composite parent listed before it"
    expect_eq "$(grep -m1 '^device USB\\VID_5986' "$demo" | tr -d '\r')" "device USB\\VID_5986&PID_2113\\200901010001" \
        "the composite parent comes first on the demo PC"
    expect_eq "$(json 'print(len(d["categories"][4]["devices"][1]["packages"]), d["categories"][4]["devices"][1]["packages"][0]["infName"])')" \
        "1 bth.inf" "inbox-only device keeps its node"
    expect_eq "$(changes)" "" "detection changes nothing"
    expect_has "$journal" "$tool driverfiles *PCI\\VEN_8086&DEV_3E9B*" "query command line"
    expect_has "$journal" "$tool drivernodes *PCI\\VEN_8086&DEV_3E9B*" "query command line"
    expect_eq "$(wc -l <<<"$journal")" 32 "two console runs per kept device"
    expect_lacks "$journal" "1AF4" "the device whose registry ID holds % never reaches a command"
    expect_eq "$(log_count 'PCI\VEN_1AF4^&DEV_10%0')" "$((unsafe_before + 1))" "and the log says it was left out"
    expect_eq "$folder_seen" "$(printf 'Z:%s' "${work//\//\\}")\\$folder_name" "run from the program folder"
    ;;
detect-without-tool)
    # A console tool that is missing, or answers with what it never prints, is no PC without packages.
    for mode in missing garbage; do
        before=$(log_count "检测中止") again=$(log_count "已再问一次")
        if [ "$mode" == missing ]; then
            run_cli "$demo" "$catalogue" no -- detect --json
        else
            run_cli "$(demo_with garbage --setting "misbehave drivernodes garbage")" "$catalogue" yes -- detect --json
        fi
        expect_eq "$rc" 1627 "$mode: exit code"
        expect_eq "$(json 'print(d["ok"], d["code"], d["message"], "categories" in d)')" \
            "False console-tool-failed 获取设备驱动失败 False" "$mode: a failure, and no inventory"
        expect_has "$(json 'print(d["error"])')" "PCI\\VEN_8086^&DEV_3E9B" "$mode: the error names the query"
        expect_eq "$(log_count "检测中止")" $((before + 1)) "$mode: the log says why"
        expect_eq "$(log_count "已再问一次")" $((again + 1)) "$mode: and that the first answer was asked again"
        # The query that did not answer is asked once more, then nothing after it.
        [ "$mode" == garbage ] && expect_eq "$(cut -d' ' -f2 <<<"$journal" | tr '\n' ' ')" \
            "driverfiles drivernodes drivernodes " "$mode: no query after the failed one"
    done
    run_cli "$demo" "$catalogue" no -- detect
    expect_eq "$rc" 1627 "text: exit code"
    expect_has "$err" "获取设备驱动失败" "text: says so"
    expect_eq "$out" "" "text: no inventory"
    ;;
bad-catalogue)
    mkdir -p "$work.xml" && bad=$work.xml/ParsingString.xml
    printf '<r><PARSING_HARDWARE_ID><HARDWARE_ID NameString1="VEN_"/></PARSING_HARDWARE_ID></r><second/>' >"$bad"
    before=$(log_count "读取解析硬件ID信息XML失败")
    run_cli "$demo" "$bad" yes -- detect --json
    expect_eq "$rc" 1603 "exit code"
    expect_eq "$(json 'print(d["code"], d["message"])')" "internal-error 工具初始化失败" "message"
    expect_eq "$(log_count "读取解析硬件ID信息XML失败")" $((before + 1)) "log entry in GBK"
    expect_eq "$journal" "" "nothing ran"
    ;;
dry-run)
    # The plan's lines, pasted at a command prompt in the program folder, run what the uninstall itself runs.
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem12.inf --dry-run
    expect_eq "$rc" 0 "exit code"
    expect_eq "$(changes)" "" "nothing ran"
    cmp -s "$demo" "$work/sim/pc.txt" || fail "the simulated PC changed"
    expect_eq "$(head -1 <<<"$out")" ".\\$tool.exe -f dp_delete oem12.inf" "the first line is the deletion"
    scanned=$(wc -l <<<"$journal")
    paste_into_cmd "$out"
    pasted=$(tail -n +$((scanned + 1)) <<<"$journal")
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem12.inf
    expect_eq "$rc" 0 "the real run's exit code"
    expect_eq "$pasted" "$(tail -n +$((scanned + 1)) <<<"$journal")" "pasted, the plan runs what the uninstall ran"
    expect_has "$pasted" "$tool remove *PCI\\VEN_8086&DEV_3E9B*" "the removal keeps to the one device"
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3e9b --inf OEM12.INF --dry-run --json
    expect_eq "$(json 'print(d["code"], d["changed"], d["commands"][0])')" "planned False .\\$tool.exe -f dp_delete oem12.inf" \
        "JSON lists the commands; the device key and name in any case"
    ;;
unknown)
    run_cli "$demo" "$catalogue" yes -- uninstall --device NOPE_0000 --inf oem12.inf --json
    expect_eq "$(json 'print(d["code"], d["ok"])')" "unknown-device False" "unknown device"
    expect_has "$(json 'print(d["message"])')" "NOPE_0000" "message names the device"
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem21.inf --json
    expect_eq "$rc" 1168 "a package of another device"
    expect_eq "$(json 'print(d["code"])')" "unknown-package" "unknown package"
    expect_eq "$(changes)" "" "nothing ran"
    # Run a second time, an uninstall finds its package gone: nothing to do, and no error.
    run_cli "$demo" "$catalogue" yes -- uninstall --device 10DE_1C8D --inf oem21.inf
    cp "$work/sim/pc.txt" "$work.after.pc.txt"
    run_cli "$work.after.pc.txt" "$catalogue" yes -- uninstall --device 10DE_1C8D --inf oem21.inf --json
    expect_eq "$rc" 1605 "already gone"
    expect_eq "$(json 'print(d["ok"], d["changed"], d["code"])')" "True False not-present" "already gone"
    expect_eq "$(changes)" "" "nothing ran the second time"
    ;;
refused)
    # Only what the window offers: an inbox package, or a name the interpreter could misread, runs nothing.
    for inf in display.inf usbvideo.inf 'oem12.inf&rescan' 'C:\Windows\INF\oem12.inf' 'oem%PATH%.inf'; do
        run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf "$inf"
        expect_eq "$rc" 87 "exit code for $inf"
        expect_has "$err" "$inf" "the message names $inf"
        expect_eq "$journal" "" "nothing ran for $inf"
    done
    expect_has "$err" "不合法" "an unsafe name is called so"
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf display.inf --json
    expect_eq "$(json 'print(d["code"])')" "refused-inbox" "an inbox package is refused with its own code"
    expect_has "$(json 'print(d["message"])')" "只能卸载第三方驱动包" "and called so"
    ;;
in-use)
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem12.inf --json
    expect_eq "$rc" 0 "exit code"
    expect_eq "$(changes)" "$(printf '%s\n' "$tool -f dp_delete oem12.inf" "$tool remove *PCI\\VEN_8086&DEV_3E9B*" \
        "$tool -f dp_delete oem12.inf" "$tool rescan")" "delete, device-scoped remove, delete, rescan"
    expect_eq "$(tail -2 <<<"$journal" | cut -d' ' -f2 | tr '\n' ' ')" "driverfiles drivernodes " "refreshed after"
    expect_eq "$(json 'print(d["result"], d["success"], [(p["infName"],p["isCurrent"]) for p in d["device"]["packages"]])')" \
        "卸载成功 True [('oem8.inf', True), ('oem3.inf', False), ('display.inf', False)]" "refreshed list"
    expect_eq "$(json 'print(d["ok"], d["changed"], d["code"])')" "True True deleted" "outcome"
    # The removal took the graphics card only: the audio controller of the same maker stays present.
    device_block 'PCI\VEN_8086&DEV_A348' | grep -q -E '^\s*present\s+removed' &&
        fail "a device of the same maker was removed"
    device_block 'PCI\VEN_8086&DEV_3E9B' | grep -q -E '^\s*driver\s+oem8.inf' ||
        fail "the rescan did not bring the card back on oem8.inf"
    ;;
at-once)
    run_cli "$demo" "$catalogue" yes -- uninstall --device 10DE_1C8D --inf oem21.inf
    expect_eq "$rc" 0 "exit code"
    expect_eq "$(changes)" "$tool -f dp_delete oem21.inf" "one command"
    expect_has "$out" "卸载成功" "verdict"
    ;;
no-confirmation)
    # A deletion whose output is not the tool's own confirmation is no success, unless the package is gone.
    for mode in silent garbage vanish mute; do
        before=$(log_count "$entry_did_not_run")
        run_cli "$(demo_with "$mode" --setting "misbehave dp_delete $mode")" "$catalogue" yes -- \
            uninstall --device 10DE_1C8D --inf oem21.inf
        expect_eq "$(changes)" "$tool -f dp_delete oem21.inf" "$mode: the delete only, no removal"
        if [ "$mode" == mute ]; then
            expect_eq "$rc" 0 "$mode: deleted without a word, and no longer listed"
            expect_has "$out" "卸载成功" "$mode: verdict"
            grep -A1 -x 'package oem21.inf' "$work/sim/pc.txt" | grep -q deleted || fail "$mode: the package stayed"
        else
            expect_eq "$rc" 1603 "$mode: exit code"
            expect_has "$out" "卸载失败" "$mode: verdict"
            expect_lacks "$out" "卸载成功" "$mode: no success"
            expect_eq "$(log_count "$entry_did_not_run")" $((before + 1)) "$mode: a did-not-run entry"
            grep -A1 -x 'package oem21.inf' "$work/sim/pc.txt" | grep -q deleted && fail "$mode: the package went"
        fi
    done
    ;;
other-refusal)
    before=$(log_count 卸载失败)
    run_cli "$(demo_with other --package oem21.inf 'delete-fails yes')" "$catalogue" yes -- \
        uninstall --device 10DE_1C8D --inf oem21.inf
    expect_eq "$rc" 1603 "exit code"
    expect_eq "$(changes)" "$tool -f dp_delete oem21.inf" "refused for another reason than use: nothing removed"
    expect_eq "$(log_count 卸载失败)" $((before + 1)) "log entry"
    ;;
remove-fails | delete-fails | reboot | rescan-fails)
    pc=$demo device=8086_3E9B inf=oem12.inf entry="" verdict=卸载成功 code=0 pattern=""
    case "$scenario" in
        remove-fails) device=10EC_522A inf=oem50.inf entry=卸载设备失败 verdict=卸载失败 code=1603 pattern='PCI\VEN_10EC&DEV_522A' ;;
        delete-fails) device=2F1D_A396 inf=oem72.inf entry=卸载失败 verdict=卸载失败 code=1603 pattern='USB\VID_2F1D&PID_A396' ;;
        reboot) device=8086_9DF0 inf=oem30.inf entry=卸载失败 verdict=卸载失败 code=3010 pattern='PCI\VEN_8086&DEV_9DF0' ;;
        rescan-fails) pc=$(demo_with rescan --setting "rescan-fails yes") ;;
    esac
    [ -n "$entry" ] && before=$(log_count "$entry")
    run_cli "$pc" "$catalogue" yes -- uninstall --device "$device" --inf "$inf"
    expect_eq "$rc" "$code" "exit code"
    expect_has "$out" "$verdict" "verdict"
    [ -n "$entry" ] && expect_eq "$(log_count "$entry")" $((before + 1)) "log entry $entry in GBK"
    case "$scenario" in
        remove-fails) expect_eq "$(changes | tr '\n' '|')" "$tool -f dp_delete $inf|$tool remove *$pattern*|$tool rescan|" \
                          "no second delete after the failed removal, but a rescan" ;;
        delete-fails | reboot) expect_eq "$(changes | tr '\n' '|')" \
                          "$tool -f dp_delete $inf|$tool remove *$pattern*|$tool -f dp_delete $inf|$tool rescan|" \
                          "the second delete is refused, and the rescan brings the devices back" ;;
        rescan-fails) expect_eq "$(changes | tail -1)" "$tool rescan" "the rescan ran" ;;
    esac
    [ -n "$pattern" ] && grep -q -E '^\s*present\s+removed' "$work/sim/pc.txt" && fail "hardware left removed"
    ;;
hang)
    # A deletion that never ends is given up on (not killed) and reported; a query that never ends is ended and
    # yields no packages.
    before=$(log_count 卸载驱动命令超时)
    start=$SECONDS
    run_cli "$(demo_with hang --setting "misbehave dp_delete hang")" "$catalogue" yes -- \
        uninstall --device 10DE_1C8D --inf oem21.inf --time-limit 3
    expect_eq "$rc" 1603 "exit code"
    expect_has "$out" "卸载失败" "verdict"
    expect_eq "$(log_count 卸载驱动命令超时)" $((before + 1)) "log entry"
    [ $((SECONDS - start)) -lt 90 ] || fail "took $((SECONDS - start)) s"
    touch "$work/sim/hang.release" # the stand-in ends now; the tool never killed it
    # A caller reading the tool's output through a pipe sees it end with the tool, while the change it gave up
    # on still runs: the change inherited no handle but its own pipe.
    hang_pc=$(demo_with hang --setting "misbehave dp_delete hang")
    rm -f "$work.piped.done"
    ( "$source/tests/wine-test.sh" "$prefix" "$work" "$bin32/TolvikDriverUninstallCli.exe" --with "$catalogue" \
          --with "$tool_exe" --pc "$hang_pc" -- uninstall --device 10DE_1C8D --inf oem21.inf --time-limit 3 \
          --backup-dir "$(printf 'Z:%s' "${work//\//\\}").backups" 2>/dev/null | cat >"$work.piped"
      touch "$work.piped.done" ) &
    for _ in $(seq 180); do [ -e "$work.piped.done" ] && break; sleep 1; done
    [ -e "$work.piped.done" ] || fail "the output pipe stayed open while the abandoned change ran"
    expect_has "$(cat "$work.piped")" "卸载失败" "verdict through the pipe"
    touch "$work/sim/hang.release"
    wait
    # The scan gives up at the first query that runs late: one time limit, not one per device.
    run_cli "$(demo_with hang --setting "misbehave drivernodes hang")" "$catalogue" yes -- detect --json --time-limit 1
    expect_eq "$rc" 1627 "a scan that ran late is a failure"
    expect_eq "$(json 'print(d["code"], "categories" in d)')" "console-tool-timed-out False" "no inventory"
    expect_eq "$(cut -d' ' -f2 <<<"$journal" | tr '\n' ' ')" "driverfiles drivernodes " "no query after the late one"
    touch "$work/sim/hang.release"
    ;;
contract)
    # A command line the tool cannot use is refused before anything runs, as JSON too when --json is among it.
    for args in "uninstall --device 8086_3E9B --json" "detect --json --json" "remove --json" \
        "uninstall --device K --inf oem1.inf --category 10 --json"; do
        run_cli "$demo" "$catalogue" yes -- $args
        expect_eq "$rc" 87 "$args: exit code"
        expect_eq "$(json 'print(d["code"], d["ok"])')" "bad-arguments False" "$args: outcome"
        expect_eq "$journal" "" "$args: nothing ran"
    done
    run_cli "$demo" "$catalogue" yes -- --version --json
    expect_eq "$(json 'print(d["code"], d["text"] == d["version"])')" "version True" "the version"
    run_cli "$demo" "$catalogue" yes -- uninstall --help
    expect_eq "$rc" 0 "help exit code"
    expect_has "$out" "--require-backup" "the usage lists every option"
    expect_has "$out" "3010" "and the exit codes"
    # --output writes the very object as UTF-8 to a file, whatever its name holds; stdout keeps the text.
    mkdir -p "$work.results" && rm -f "$work.results"/*
    target="$work.results/结果 A&B^C %OS% !x! 'q'.json"
    run_cli "$demo" "$catalogue" yes -- detect --json --output "$(printf 'Z:%s' "${target//\//\\}")"
    expect_eq "$rc" 0 "exit code"
    cmp -s "$target" "$work.out" || fail "the file holds what stdout held"
    valid_json "$target" || fail "the file follows the schema"
    run_cli "$demo" "$catalogue" yes -- uninstall --device NOPE_0000 --inf oem12.inf --output "$(printf 'Z:%s' "${target//\//\\}")"
    expect_eq "$rc" 1168 "exit code"
    expect_eq "$(python3 -c "import json,sys; print(json.load(open(sys.argv[1], encoding='utf-8'))['code'])" "$target")" \
        unknown-device "a failure is written as well"
    expect_eq "$out" "" "stdout without --json holds no JSON"
    run_cli "$demo" "$catalogue" yes -- detect --json --output "Z:\\no such folder\\x.json"
    expect_eq "$(json 'print(d["code"])')" bad-arguments "an output file that cannot be made"
    expect_eq "$journal" "" "stops the command before anything ran"
    ;;
rights)
    # Without elevated rights the changes are refused before anything runs, the scan included; reading is not.
    backups=$work.backups && mkdir -p "$backups"
    as_standard_user=yes
    for args in "uninstall --device 8086_3E9B --inf oem12.inf" "restore latest" "backups --prune --keep 1"; do
        run_cli "$demo" "$catalogue" yes -- $args --backup-dir "$(printf 'Z:%s' "${backups//\//\\}")" --json
        expect_eq "$rc" 740 "$args: exit code"
        expect_eq "$(json 'print(d["code"], d["changed"])')" "not-administrator False" "$args: outcome"
        expect_eq "$journal" "" "$args: nothing ran"
    done
    run_cli "$demo" "$catalogue" yes -- detect --json
    expect_eq "$rc" 0 "detect needs no elevation"
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem12.inf --dry-run --json
    expect_eq "$rc" 0 "nor does a dry run"
    as_standard_user=no
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem12.inf --json
    expect_eq "$rc" 0 "elevated, the uninstall runs"
    ;;
folders)
    # The tool runs from the program folder only: at a drive's root, or in a folder naming a set variable.
    ran_in_folder() {
        expect_eq "$folder_seen" "$1" "$2: run in the program folder"
        expect_eq "$rc" 0 "$2: exit code"
        expect_has "$out" "卸载成功" "$2: verdict"
    }
    run_cli "$demo" "$catalogue" yes --drive y -- uninstall --device 10DE_1C8D --inf oem21.inf
    ran_in_folder 'Y:\' "drive root"
    run_cli "$demo" "$catalogue" yes --folder "程序 %PATH% %CD% 测试" -- uninstall --device 10DE_1C8D --inf oem21.inf
    ran_in_folder "$(printf 'Z:%s' "${work//\//\\}")\\程序 %PATH% %CD% 测试" "variable names"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] && echo "$scenario: passed" || echo "$scenario: $failures check(s) failed" >&2
exit $((failures > 0))
