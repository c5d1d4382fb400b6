#!/usr/bin/python3
# Stand-in of ansible.windows.win_acl for the playbook's test: see run_access_list_standin.
from ansible_collections.ansible.windows.plugins.module_utils.wine_path import run_access_list_standin

if __name__ == "__main__":
    run_access_list_standin(dict(
        path=dict(type="str", required=True),
        user=dict(type="str", required=True),
        rights=dict(type="str", required=True),
        type=dict(type="str", choices=["allow", "deny"], required=True),
        state=dict(type="str", choices=["absent", "present"], default="present"),
        inherit=dict(type="str"),
        propagation=dict(type="str", default="None"),
    ))
