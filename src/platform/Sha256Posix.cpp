#include "platform/Sha256.h"

#include <openssl/evp.h>
#include <stdexcept>

namespace quillmere {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

std::string hexText(const unsigned char* bytes, unsigned int size) {
    std::string text;
    text.reserve(2 * std::size_t{size});
    for (unsigned int i = 0; i < size; ++i) {
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0xf];
    }
    return text;
}

} // namespace

struct Sha256::State {
    struct FreeContext {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, FreeContext> context{EVP_MD_CTX_new()};

    void start() {
        if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
            throw std::runtime_error("OpenSSL cannot start a SHA-256 hash");
    }
};

Sha256::Sha256()
    : m_state(std::make_unique<State>()) {
    m_state->start();
}

Sha256::~Sha256() = default;

void Sha256::add(std::string_view bytes) {
    if (EVP_DigestUpdate(m_state->context.get(), bytes.data(), bytes.size()) != 1)
        throw std::runtime_error("OpenSSL cannot hash with SHA-256");
}

std::string Sha256::hexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(m_state->context.get(), digest, &size) != 1)
        throw std::runtime_error("OpenSSL cannot finish a SHA-256 hash");
    m_state->start();
    return hexText(digest, size);
}

} // namespace quillmere
