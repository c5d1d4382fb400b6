// SHA-256 of a byte stream, for the backups' file lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    // Lower-case hexadecimal digest; the object is spent afterwards.
    std::string HexDigest();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> buffer_{};
    size_t buffered_ = 0;
    uint64_t length_ = 0;
};

std::string Sha256Hex(std::string_view bytes);
