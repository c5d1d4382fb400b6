// Whether a folder may hold backups that an elevated restore runs: only Administrators and SYSTEM may change
// it, and one of them owns it. The folder's security is read on the platform side; the judgement is here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Wine keeps no Windows owner or access list of its own on a file: it shows the Unix owner as the prefix's
// user and rebuilds the list from the Unix mode (SYSTEM and the owner full control, Everyone what "others"
// may do). There the prefix's user, the one administrator, stands where Administrators stand on Windows; the
// platform side names it so only under Wine.
enum class Principal { Administrators, System, TrustedInstaller, CreatorOwner, WinePrefixOwner, Other };

struct AccessEntry {
    Principal who = Principal::Other;
    std::wstring name; // for messages: "BUILTIN\Users", or the SID
    bool allow = true;
    bool inheritOnly = false; // applies only to what is created inside, not to the folder
    uint32_t mask = 0;
};

struct FolderSecurity {
    bool link = false; // the folder is a link, junction or other reparse point
    bool readable = true;
    Principal owner = Principal::Other;
    std::wstring ownerName;
    bool nullDacl = false; // no access list at all: everyone may do everything
    std::vector<AccessEntry> entries;
};

// The rights that change a folder or what is in it: write, append, extended attributes, attributes, delete,
// delete child, the access list, the owner, and the generic rights that include them.
constexpr uint32_t kChangeRights =
    0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000 | 0x02000000;

// Why the folder is not trusted, or nothing when only Administrators, SYSTEM and TrustedInstaller may change it
// and Administrators or SYSTEM own it.
[[nodiscard]] std::optional<std::wstring> JudgeFolderSecurity(const FolderSecurity& security);

// The access list every backup folder and the backup location get, in SDDL: owned by Administrators, not
// inheriting from the folder above; Administrators and SYSTEM full control, Users read, also for all inside.
constexpr wchar_t kBackupFolderSddl[] = L"O:BAG:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
