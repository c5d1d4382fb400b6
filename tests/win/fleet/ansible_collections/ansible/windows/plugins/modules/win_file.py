#!/usr/bin/python3
# Stand-in of ansible.windows.win_file for the playbook's test: makes or removes the Wine folder named by `path`.
import os
import shutil

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.ansible.windows.plugins.module_utils.wine_path import unix_path


def main():
    module = AnsibleModule(argument_spec=dict(path=dict(type="str", required=True),
                                              state=dict(type="str", choices=["absent", "directory"], required=True)),
                           supports_check_mode=True)
    target = unix_path(module.params["path"])
    exists = os.path.lexists(target)
    if module.params["state"] == "absent":
        changed = exists
        if changed and not module.check_mode:
            shutil.rmtree(target) if os.path.isdir(target) and not os.path.islink(target) else os.remove(target)
    else:
        if exists and not os.path.isdir(target):
            module.fail_json(msg="path exists but is not a directory: " + module.params["path"])
        changed = not exists
        if changed and not module.check_mode:
            os.makedirs(target)
    module.exit_json(changed=changed, path=module.params["path"])


if __name__ == "__main__":
    main()
