# Where a Windows path of the playbook lies on this machine, for the stand-in modules.
import os

from ansible.module_utils.basic import AnsibleModule


def unix_path(windows_path):
    """Z:\\a\\b is /a/b; C:\\x is the prefix's drive_c/x."""
    drive, rest = windows_path[0].upper(), windows_path[2:].replace("\\", "/")
    if drive == "Z":
        return rest or "/"
    return os.path.join(os.environ["WINEPREFIX"], "drive_" + drive.lower()) + rest


def run_access_list_standin(argument_spec):
    """Wine keeps no Windows access lists (it rebuilds them from the Unix mode), so the stand-ins of the modules
    that set them have nothing to set: they take the real module's options, fail as it does on a path that is not
    there, and report the change the real module makes on a folder just made."""
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    if not os.path.exists(unix_path(module.params["path"])):
        module.fail_json(msg="%s does not exist" % module.params["path"])
    module.exit_json(changed=True, path=module.params["path"])
