// SHA-256 with OpenSSL's libcrypto, for the native build (tests, fuzzing, benchmarks).
#include "backup/Sha256.h"

#include <openssl/evp.h>

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool failed = context == nullptr || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1;
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}

Sha256::~Sha256() = default;

bool Sha256::Update(const void* data, size_t size) {
    state_->failed = state_->failed || EVP_DigestUpdate(state_->context, data, size) != 1;
    return !state_->failed;
}

std::string Sha256::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (state_->failed || EVP_DigestFinal_ex(state_->context, digest, &length) != 1)
        return {};
    state_->failed = true;
    return HexOf(digest, length);
}
