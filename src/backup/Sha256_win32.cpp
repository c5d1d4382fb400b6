// SHA-256 with Windows CNG (bcrypt, Windows Vista and later): one algorithm provider for the process, one
// hash object per stream.
#include "backup/Sha256.h"

#include <windows.h>

#include <bcrypt.h>

namespace {

BCRYPT_ALG_HANDLE Algorithm() {
    static const BCRYPT_ALG_HANDLE algorithm = [] {
        BCRYPT_ALG_HANDLE opened = nullptr;
        return BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 ? opened : nullptr;
    }();
    return algorithm;
}

} // namespace

struct Sha256::State {
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool failed = false;
    ~State() {
        if (hash != nullptr)
            BCryptDestroyHash(hash);
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->failed =
        Algorithm() == nullptr || BCryptCreateHash(Algorithm(), &state_->hash, nullptr, 0, nullptr, 0, 0) < 0;
}

Sha256::~Sha256() = default;

bool Sha256::Update(const void* data, size_t size) {
    auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));
    while (!state_->failed && size > 0) {
        const ULONG chunk = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        state_->failed = BCryptHashData(state_->hash, bytes, chunk, 0) < 0;
        bytes += chunk;
        size -= chunk;
    }
    return !state_->failed;
}

std::string Sha256::HexDigest() {
    unsigned char digest[32];
    if (state_->failed || BCryptFinishHash(state_->hash, digest, sizeof digest, 0) < 0)
        return {};
    state_->failed = true;
    return HexOf(digest, sizeof digest);
}
