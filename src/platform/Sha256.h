#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quillmere {

// SHA-256 through the system's own cryptography (OpenSSL's libcrypto, or Windows' CNG), which
// uses the processor's SHA instructions where it has them: a downloaded factory list of a
// gigabyte is hashed in about a second that way, several times faster than a portable routine.
// Fed in pieces, in order, as they arrive.
class Sha256 final {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(std::string_view bytes);
    // The digest of everything added, in lower-case hex; the hash starts over afterwards.
    std::string hexDigest();

    struct State;

private:
    std::unique_ptr<State> m_state;
};

} // namespace quillmere
