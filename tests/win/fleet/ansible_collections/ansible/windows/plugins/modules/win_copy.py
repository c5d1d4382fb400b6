#!/usr/bin/python3
# Stand-in of ansible.windows.win_copy for the playbook's test: copies the files of a local folder into the
# Wine folder named by `dest`; changed when any file was new or different.
import filecmp
import os
import shutil

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.ansible.windows.plugins.module_utils.wine_path import unix_path


def main():
    module = AnsibleModule(argument_spec=dict(src=dict(type="path", required=True), dest=dict(type="str", required=True)),
                           supports_check_mode=True)
    source, target = module.params["src"], unix_path(module.params["dest"])
    changed = False
    for name in sorted(os.listdir(source)):
        there = os.path.join(target, name)
        if os.path.exists(there) and filecmp.cmp(os.path.join(source, name), there, shallow=False):
            continue
        changed = True
        if not module.check_mode:
            os.makedirs(target, exist_ok=True)
            shutil.copy2(os.path.join(source, name), there)
    module.exit_json(changed=changed, dest=module.params["dest"])


if __name__ == "__main__":
    main()
