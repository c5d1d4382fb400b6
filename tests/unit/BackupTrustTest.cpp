// Who may change and own a backup.
#include "backup/BackupTrust.h"

#include <gtest/gtest.h>

TEST(BackupTrust, OnlyAdministratorsAndSystemMayChangeAndOwnABackup) {
    const AccessEntry admins{Principal::Administrators, L"BUILTIN\\Administrators", true, false, 0x1f01ff};
    const AccessEntry system{Principal::System, L"NT AUTHORITY\\SYSTEM", true, false, 0x1f01ff};
    const AccessEntry usersRead{Principal::Other, L"BUILTIN\\Users", true, false, 0x1200a9};
    FolderSecurity ours{
        false, true, Principal::Administrators, L"BUILTIN\\Administrators", false, {admins, system, usersRead}};
    EXPECT_FALSE(JudgeFolderSecurity(ours));

    // %ProgramData%'s entry: Users may create folders and append data.
    FolderSecurity inherited = ours;
    inherited.entries.push_back({Principal::Other, L"BUILTIN\\Users", true, false, 0x4});
    EXPECT_NE(JudgeFolderSecurity(inherited).value_or(L"").find(L"BUILTIN\\Users 也能写入"), std::wstring::npos);
    // CREATOR OWNER on the folder itself, or any entry only for what is inside, grants no one the folder.
    FolderSecurity template_ = ours;
    template_.entries.push_back({Principal::CreatorOwner, L"CREATOR OWNER", true, true, 0x10000000});
    template_.entries.push_back({Principal::Other, L"Everyone", false, false, 0x1f01ff});
    EXPECT_FALSE(JudgeFolderSecurity(template_));

    FolderSecurity forged = ours;
    forged.owner = Principal::Other;
    forged.ownerName = L"PC\\user";
    EXPECT_NE(JudgeFolderSecurity(forged).value_or(L"").find(L"PC\\user"), std::wstring::npos);
    FolderSecurity open = ours;
    open.nullDacl = true;
    EXPECT_TRUE(JudgeFolderSecurity(open));
    FolderSecurity link = ours;
    link.link = true;
    EXPECT_TRUE(JudgeFolderSecurity(link));
}
