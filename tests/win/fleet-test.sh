#!/usr/bin/env bash
# The playbook of docs/fleet.md run for real with ansible-playbook against this machine: stand-ins of the
# ansible.windows modules it uses run the command-line front end under Wine, on a simulated PC, and make its
# folder there (Wine keeps no access lists to set). A good run, its
# check mode, a Device Console tool that fails and a backup that cannot be written each end with the recap's
# counts they should.
# usage: fleet-test.sh <scenario> <prefix-dir> <win32-bin> <win64-bin> <source-dir> <work-dir>
set -uo pipefail
scenario=$1 prefix=$2 bin32=$3 bin64=$4 source=$5 work=$6
here=$(cd "$(dirname "$0")" && pwd)

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }

case "$(basename "$prefix")" in
    win64) tool=devconx64 tool_exe=$bin64/devconx64.exe ;;
    *) tool=devcon tool_exe=$bin32/devcon.exe ;;
esac
to_windows() { printf 'Z:%s' "${1//\//\\}"; }

rm -rf "$work" && mkdir -p "$work/tool" "$work/sim" "$work/results"
cp "$bin32/TolvikDriverUninstallCli.exe" "$bin32/ParsingString.xml" "$tool_exe" "$work/tool/"
# The playbook exactly as the documentation shows it.
awk '/^```yaml$/ { on = 1; next } /^```$/ { on = 0 } on' "$source/docs/fleet.md" >"$work/playbook.yml"
printf '[windows_pcs]\nlocalhost ansible_connection=local ansible_python_interpreter=/usr/bin/python3\n' >"$work/hosts"
{ [ "$scenario" == console-tool-fails ] && echo "misbehave drivernodes garbage"; cat "$source/demo/pc.txt"; } \
    >"$work/sim/pc.txt"
backup_dir=$work/backups
if [ "$scenario" == backup-fails ]; then
    : >"$work/not-a-folder"
    backup_dir="$work/not-a-folder/备份"
fi

export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export TOLVIK_SIM_DIR="$(to_windows "$work/sim")"
export ANSIBLE_COLLECTIONS_PATH="$here/fleet" ANSIBLE_NOCOLOR=1 ANSIBLE_HOST_KEY_CHECKING=0
export TOLVIK_PROGRAM_LAUNCHER="$(to_windows "$bin32/program_launcher.exe")"
export ANSIBLE_LOCAL_TEMP="$work/ansible-tmp" ANSIBLE_REMOTE_TEMP="$work/ansible-tmp"
check=()
[ "$scenario" == check-mode ] && check=(--check)
# Variables outrank the tasks' keywords: this machine runs the steps as the user it is.
(cd "$work" && ansible-playbook -i hosts playbook.yml "${check[@]}" \
    -e "{\"tool_dir\": \"$(to_windows "$work/程序 A&B 测试" | sed 's/\\/\\\\/g')\", \"backup_dir\": \"$(to_windows "$backup_dir" | sed 's/\\/\\\\/g')\", \"ansible_become\": false}") \
    >"$work.log" 2>&1
recap=$(grep -E '^localhost +:' "$work.log")
counts="changed=$(grep -oE 'changed=[0-9]+' <<<"$recap" | cut -d= -f2) failed=$(grep -oE 'failed=[0-9]+' <<<"$recap" | cut -d= -f2)"
changes=$(tr -d '\r' <"$work/sim/journal.txt" 2>/dev/null | cut -f2 | grep -v -E ' (driverfiles|drivernodes) ')

case "$scenario" in
good)
    # The tool folder made and given its access list (4), copy, clean-up, results brought home: changed; nothing failed; the two old packages went, oldest first.
    expect_eq "$counts" "changed=7 failed=0" "recap"
    expect_eq "$(sed -E 's/^\.\\(devcon(x64)?)\.exe /\1 /' <<<"$changes" | tr '\n' '|')" \
        "$tool dp_delete oem3.inf|$tool dp_delete oem8.inf|" "the old packages deleted"
    expect_eq "$(python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print(d['code'], d['changed'])" \
        "$work/results/localhost-cleanup.json")" "cleaned True" "the clean-up's JSON brought home"
    ;;
check-mode)
    expect_eq "$counts" "changed=6 failed=0" "recap: the tool folder, the copy and the results, no clean-up"
    expect_eq "$changes" "" "a check deletes nothing"
    expect_eq "$(python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print(d['code'], d['dryRun'])" \
        "$work/results/localhost-cleanup.json")" "planned True" "the dry run's plan brought home"
    ;;
console-tool-fails)
    expect_eq "$counts" "changed=5 failed=1" "recap: the detection fails"
    expect_eq "$changes" "" "nothing deleted"
    ;;
backup-fails)
    expect_eq "$counts" "changed=5 failed=1" "recap: the clean-up fails"
    expect_eq "$changes" "" "nothing deleted without a backup"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
[ "$failures" -eq 0 ] && echo "$scenario: passed" || { cat "$work.log" >&2; echo "$scenario: $failures check(s) failed" >&2; }
exit $((failures > 0))
