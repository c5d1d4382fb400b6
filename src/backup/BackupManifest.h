// manifest.txt of a backup folder: what was saved, from which device, and each file's size and SHA-256.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct BackupFileRecord {
    std::string sha256;
    uint64_t size = 0;
    std::string path; // UTF-8, relative to the backup folder, "\"-separated
};

// Texts are UTF-8. Device texts came from the scan in code page 936 and are converted once, here.
struct BackupManifest {
    std::string time; // "2026-12-08T05:15:02+08:00": local time with its UTC offset (ISO 8601)
    std::string deviceKey;
    int category = 0;
    std::string searchPattern; // as the scan wrote it, "^&" for "&"
    std::string hardwareId;    // the pattern without carets: the ID "update" makes the package current for
    std::string description;
    std::string inf; // the published name it had, "oem12.inf"
    std::string provider;
    std::string version;
    std::string date;
    bool wasCurrent = false;
    std::string storeFolder; // "iigd_dch.inf_amd64_1c2b2b6e5e0a1c3d"
    std::string storeInf;    // "iigd_dch.inf"
    std::string tool;        // "devcon.exe" or "devconx64.exe", beside the restore script
    std::vector<BackupFileRecord> files;

    uint64_t TotalSize() const;
    // The record of the store folder's INF, the file that names the package; null when it is not listed.
    const BackupFileRecord* StoreInfRecord() const;
};

constexpr std::string_view kManifestName = "manifest.txt";

std::string FormatManifest(const BackupManifest& manifest);
// Nothing when the text is not a manifest this tool wrote (or was damaged), or it lists no store INF.
[[nodiscard]] std::optional<BackupManifest> ParseManifest(std::string_view text);

// Seconds since 1970 in UTC of a manifest's time: "2026-12-08T05:15:02+08:00", "…Z", or the older
// "2026-12-08 05:15:02" without an offset (read as UTC). Nothing when it is none of these.
[[nodiscard]] std::optional<int64_t> BackupInstant(std::string_view time);
