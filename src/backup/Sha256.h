// SHA-256 of a byte stream, for the backups' file lists: the system's implementation (CNG on Windows,
// OpenSSL's libcrypto in the native build), never one of our own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // False once the system's hash has failed; the digest is then empty.
    bool Update(const void* data, size_t size);
    // Lower-case hexadecimal digest, or empty when the hash failed; the object is spent afterwards.
    std::string HexDigest();

private:
    struct State;
    std::unique_ptr<State> state_;
};

std::string Sha256Hex(std::string_view bytes);

// Lower-case hexadecimal of a digest.
std::string HexOf(const unsigned char* digest, size_t size);
