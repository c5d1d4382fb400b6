#!/usr/bin/python3
# Stand-in of ansible.windows.win_acl_inheritance for the playbook's test. Wine keeps no Windows access lists (it rebuilds them
# from the Unix mode), so there is nothing to set: the stand-in takes the real module's options, fails as it does
# on a path that is not there, and reports the change the real module makes on a folder just made.
import os

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.ansible.windows.plugins.module_utils.wine_path import unix_path


def main():
    module = AnsibleModule(argument_spec=dict(path=dict(type="str", required=True), state=dict(type="str", choices=["absent", "present"], default="absent"),
                         reorganize=dict(type="bool", default=False)),
                           supports_check_mode=True)
    if not os.path.exists(unix_path(module.params["path"])):
        module.fail_json(msg="%s does not exist" % module.params["path"])
    module.exit_json(changed=True, path=module.params["path"])


if __name__ == "__main__":
    main()
