// A deny entry is not weighed: a folder is trusted only when no allow entry gives others a right to change it.
#include "backup/BackupTrust.h"

std::optional<std::wstring> JudgeFolderSecurity(const FolderSecurity& security) {
    if (security.link)
        return L"它是一个链接，指向别处";
    if (!security.readable)
        return L"读不出它的访问权限";
    if (security.owner != Principal::Administrators && security.owner != Principal::System &&
        security.owner != Principal::WinePrefixOwner)
        return L"它的所有者是 " + security.ownerName + L"，不是 Administrators 或 SYSTEM";
    if (security.nullDacl)
        return L"它没有访问控制列表，任何人都能写入";
    for (const AccessEntry& entry : security.entries) {
        // CREATOR OWNER in an entry of the folder itself matches no one; it only shapes what is created inside.
        const bool trustedPrincipal = entry.who == Principal::Administrators || entry.who == Principal::System ||
                                      entry.who == Principal::TrustedInstaller ||
                                      entry.who == Principal::CreatorOwner || entry.who == Principal::WinePrefixOwner;
        if (entry.allow && !entry.inheritOnly && !trustedPrincipal && (entry.mask & kChangeRights) != 0)
            return L"除 Administrators 和 SYSTEM 外，" + entry.name + L" 也能写入";
    }
    return std::nullopt;
}
