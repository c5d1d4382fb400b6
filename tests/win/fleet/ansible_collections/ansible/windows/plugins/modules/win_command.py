#!/usr/bin/python3
# Stand-in of ansible.windows.win_command for the playbook's test: runs the command's program under Wine, from
# the folder of `chdir`, with its arguments split as Windows splits a command line, and answers as the real
# module does (rc, stdout, stderr; a non-zero rc fails unless the task says otherwise). The program is started
# through the test's launcher ($TOLVIK_PROGRAM_LAUNCHER), which hands on the whole exit code: Wine gives a shell
# its low byte only.
import os
import shlex
import subprocess
import tempfile

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.ansible.windows.plugins.module_utils.wine_path import unix_path


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    module = AnsibleModule(argument_spec=dict(_raw_params=dict(type="str", required=True),
                                              chdir=dict(type="str")),
                           supports_check_mode=False)
    words = shlex.split(module.params["_raw_params"])
    folder = unix_path(module.params["chdir"]) if module.params["chdir"] else os.getcwd()
    program = windows_path(os.path.join(folder, words[0]))
    handle, exit_code_file = tempfile.mkstemp(prefix="exit-code-")
    os.close(handle)
    run = subprocess.run(["wine", os.environ["TOLVIK_PROGRAM_LAUNCHER"], "--exit-code", windows_path(exit_code_file),
                          program] + words[1:], cwd=folder, capture_output=True)
    with open(exit_code_file) as f:
        returncode = int(f.read())
    os.remove(exit_code_file)
    stdout, stderr = run.stdout.decode("utf-8", "replace"), run.stderr.decode("utf-8", "replace")
    result = dict(changed=True, rc=returncode, stdout=stdout, stderr=stderr, cmd=module.params["_raw_params"])
    if returncode != 0:
        module.fail_json(msg="non-zero return code", **result)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
