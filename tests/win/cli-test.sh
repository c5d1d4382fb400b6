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
folder_name="程序 A&B^C%D 测试"

# Runs the front end from a fresh program folder with the given PC; sets out, err, rc, journal.
# run_cli <pc-file> <catalogue-file|-> <with-tool yes|no> -- args...
run_cli() {
    local pc=$1 catalogue=$2 with_tool=$3
    shift 4
    local files=(--with "$catalogue")
    [ "$with_tool" == yes ] && files+=(--with "$tool_exe")
    "$source/tests/wine-test.sh" "$prefix" "$work" "$bin32/TolvikDriverUninstallCli.exe" "${files[@]}" --pc "$pc" \
        -- "$@" >"$work.out" 2>"$work.err"
    rc=$?
    out=$(cat "$work.out")
    err=$(cat "$work.err")
    journal=$(tr -d '\r' <"$work/sim/journal.txt" 2>/dev/null | cut -f2)
    folder_seen=$(tr -d '\r' <"$work/sim/journal.txt" 2>/dev/null | cut -f1 | sort -u)
}

# The commands of the journal that change something (the queries left out).
changes() { grep -v -E "^$tool (driverfiles|drivernodes) " <<<"$journal"; }
log_count() { [ -f "$log_file" ] && grep -a -c -F -- "$(printf '%s' "$1" | iconv -f UTF-8 -t GBK)" "$log_file" || echo 0; }
# The lines of one device's block in the simulated PC's state.
device_block() { awk -v id="device $1" 'index($0, id) == 1 { on = 1; print; next } /^(device|package) / { on = 0 } on' "$work/sim/pc.txt"; }
json() { python3 -c "import json,sys; d=json.load(open('$work.out', encoding='utf-8')); $1"; }

demo=$source/demo/pc.txt
catalogue=$bin32/ParsingString.xml

case "$scenario" in
detect)
    run_cli "$demo" "$catalogue" yes -- detect --json
    expect_eq "$rc" 0 "exit code"
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
    expect_eq "$folder_seen" "$(printf 'Z:%s' "${work//\//\\}")\\$folder_name" "run from the program folder"
    ;;
detect-without-tool)
    run_cli "$demo" "$catalogue" no -- detect --json
    expect_eq "$rc" 0 "devices are still found"
    expect_eq "$(json 'print(sum(len(x["packages"]) for c in d["categories"] for x in c["devices"]))')" 0 "no packages without the tool"
    ;;
bad-catalogue)
    mkdir -p "$work.xml" && bad=$work.xml/ParsingString.xml
    printf '<r><PARSING_HARDWARE_ID><HARDWARE_ID NameString1="VEN_"/></PARSING_HARDWARE_ID></r><second/>' >"$bad"
    before=$(log_count "读取解析硬件ID信息XML失败")
    run_cli "$demo" "$bad" yes -- detect --json
    expect_eq "$rc" 2 "exit code"
    expect_has "$err" "工具初始化失败" "message"
    expect_eq "$(log_count "读取解析硬件ID信息XML失败")" $((before + 1)) "log entry in GBK"
    expect_eq "$journal" "" "nothing ran"
    ;;
dry-run)
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem12.inf --dry-run
    expect_eq "$rc" 0 "exit code"
    expect_has "$out" "& $tool -f dp_delete oem12.inf" "delete shown"
    expect_has "$out" "& $tool remove *PCI\\VEN_8086^&DEV_3E9B*" "device-scoped removal shown"
    expect_has "$out" "& $tool rescan" "rescan shown"
    expect_eq "$(changes)" "" "nothing ran"
    cmp -s "$demo" "$work/sim/pc.txt" || fail "the simulated PC changed"
    ;;
unknown)
    run_cli "$demo" "$catalogue" yes -- uninstall --device NOPE_0000 --inf oem12.inf
    expect_eq "$rc" 2 "unknown device"
    expect_has "$err" "NOPE_0000" "message names the device"
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem99.inf
    expect_eq "$rc" 2 "unknown package"
    expect_eq "$(changes)" "" "nothing ran"
    ;;
in-use)
    run_cli "$demo" "$catalogue" yes -- uninstall --device 8086_3E9B --inf oem12.inf --json
    expect_eq "$rc" 0 "exit code"
    expect_eq "$(changes)" "$(printf '%s\n' "$tool -f dp_delete oem12.inf" "$tool remove *PCI\\VEN_8086&DEV_3E9B*" \
        "$tool -f dp_delete oem12.inf" "$tool rescan")" "delete, device-scoped remove, delete, rescan"
    expect_eq "$(tail -2 <<<"$journal" | cut -d' ' -f2 | tr '\n' ' ')" "driverfiles drivernodes " "refreshed after"
    expect_eq "$(json 'print(d["result"], d["success"], [(p["infName"],p["isCurrent"]) for p in d["device"]["packages"]])')" \
        "卸载成功 True [('oem8.inf', True), ('oem3.inf', False), ('display.inf', False)]" "refreshed list"
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
remove-fails | delete-fails | rescan-fails)
    pc=$demo device=8086_3E9B inf=oem12.inf entry="" verdict=卸载成功 code=0
    case "$scenario" in
        remove-fails) device=10EC_522A inf=oem50.inf entry=卸载设备失败 verdict=卸载失败 code=1 ;;
        delete-fails) device=2F1D_A396 inf=oem72.inf entry=卸载失败 verdict=卸载失败 code=1 ;;
        rescan-fails) pc=$work.pc.txt && { echo "rescan-fails yes"; cat "$demo"; } >"$pc" ;;
    esac
    [ -n "$entry" ] && before=$(log_count "$entry")
    run_cli "$pc" "$catalogue" yes -- uninstall --device "$device" --inf "$inf"
    expect_eq "$rc" "$code" "exit code"
    expect_has "$out" "$verdict" "verdict"
    [ -n "$entry" ] && expect_eq "$(log_count "$entry")" $((before + 1)) "log entry $entry in GBK"
    case "$scenario" in
        remove-fails) expect_eq "$(changes | wc -l)" 2 "stops after the removal" ;;
        delete-fails) expect_eq "$(changes | wc -l)" 3 "stops after the second delete" ;;
        rescan-fails) expect_eq "$(changes | tail -1)" "$tool rescan" "the rescan ran" ;;
    esac
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] && echo "$scenario: passed" || echo "$scenario: $failures check(s) failed" >&2
exit $((failures > 0))
