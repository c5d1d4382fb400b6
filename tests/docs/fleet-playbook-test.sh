#!/usr/bin/env bash
# The Ansible playbook of docs/fleet.md passes ansible-playbook --syntax-check (its modules resolve), taken
# from the document itself so that the document cannot drift. Skipped (exit 77) only when Ansible is missing.
# usage: fleet-playbook-test.sh <source-dir> <work-dir>
set -euo pipefail
source=$1 work=$2
if ! command -v ansible-playbook >/dev/null; then
    echo "SKIPPED: ansible-playbook is not installed (Debian package 'ansible', listed in scripts/setup.sh)"
    exit 77
fi
rm -rf "$work" && mkdir -p "$work/tool"
awk '/^```yaml$/ { on = 1; next } /^```$/ { on = 0 } on' "$source/docs/fleet.md" >"$work/playbook.yml"
[ -s "$work/playbook.yml" ] || { echo "FAIL: no yaml block in docs/fleet.md" >&2; exit 1; }
printf '[windows_pcs]\npc1 ansible_connection=winrm\n' >"$work/hosts"
cd "$work"
ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_HOME="$work/home" ansible-playbook --syntax-check -i hosts playbook.yml
echo "fleet playbook: passed"
