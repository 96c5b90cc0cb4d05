#include "platform/Sha256.h"

#include <algorithm>
#include <stdexcept>
// bcrypt.h takes its types from windows.h, which must come first.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

namespace quillmere {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr DWORD kDigestSize = 32;

bool succeeded(NTSTATUS status) {
    return status >= 0;
}

} // namespace

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;

    State() {
        if (!succeeded(
                BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            throw std::runtime_error("Windows cannot open its SHA-256 provider");
        start();
    }
    ~State() {
        if (hash)
            BCryptDestroyHash(hash);
        BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void start() {
        if (!succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)))
            throw std::runtime_error("Windows cannot start a SHA-256 hash");
    }
};

Sha256::Sha256()
    : m_state(std::make_unique<State>()) {}

Sha256::~Sha256() = default;

void Sha256::add(std::string_view bytes) {
    // BCryptHashData takes at most 4 GiB less one byte at a time.
    constexpr std::size_t kMostAtOnce = 1u << 30;
    while (!bytes.empty()) {
        const std::size_t size = std::min(bytes.size(), kMostAtOnce);
        // CNG only reads the input; its declaration lacks the const.
        auto* input = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
        if (!succeeded(BCryptHashData(m_state->hash, input, static_cast<ULONG>(size), 0)))
            throw std::runtime_error("Windows cannot hash with SHA-256");
        bytes.remove_prefix(size);
    }
}

std::string Sha256::hexDigest() {
    UCHAR digest[kDigestSize];
    const NTSTATUS finished = BCryptFinishHash(m_state->hash, digest, kDigestSize, 0);
    BCryptDestroyHash(m_state->hash);
    m_state->hash = nullptr;
    if (!succeeded(finished))
        throw std::runtime_error("Windows cannot finish a SHA-256 hash");
    m_state->start();
    std::string text;
    text.reserve(2 * kDigestSize);
    for (const UCHAR byte : digest) {
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0xf];
    }
    return text;
}

} // namespace quillmere
