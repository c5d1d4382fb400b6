#!/usr/bin/python3
# Stand-in of ansible.windows.win_acl_inheritance for the playbook's test: see run_access_list_standin.
from ansible_collections.ansible.windows.plugins.module_utils.wine_path import run_access_list_standin

if __name__ == "__main__":
    run_access_list_standin(dict(
        path=dict(type="str", required=True),
        state=dict(type="str", choices=["absent", "present"], default="absent"),
        reorganize=dict(type="bool", default=False),
    ))
