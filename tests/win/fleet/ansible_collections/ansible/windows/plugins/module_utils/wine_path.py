# Where a Windows path of the playbook lies on this machine, for the stand-in modules.
import os


def unix_path(windows_path):
    """Z:\\a\\b is /a/b; C:\\x is the prefix's drive_c/x."""
    drive, rest = windows_path[0].upper(), windows_path[2:].replace("\\", "/")
    if drive == "Z":
        return rest or "/"
    return os.path.join(os.environ["WINEPREFIX"], "drive_" + drive.lower()) + rest
