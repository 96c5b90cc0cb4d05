#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace quillmere {

// A read that failed; what() is the message to show, naming the file.
class ByteSourceError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bytes that can be read more than once, from any offset, for instance a file: a large list can be
// read a part at a time, twice, instead of being held whole. Each stream reads on its own, so
// several may read side by side on different threads.
class ByteSource {
public:
    class Stream {
    public:
        virtual ~Stream() = default;
        // Fills up to size bytes and gives how many, 0 at the end; a failure throws
        // ByteSourceError.
        virtual std::size_t read(char* into, std::size_t size) = 0;
    };

    virtual ~ByteSource() = default;
    // The bytes from the offset on; a failure throws ByteSourceError.
    virtual std::unique_ptr<Stream> openAt(std::uint64_t offset) const = 0;
};

// Bytes held in memory, as a source.
class HeldByteSource final : public ByteSource {
public:
    explicit HeldByteSource(std::shared_ptr<const std::string> bytes)
        : m_bytes(std::move(bytes)) {}

    std::unique_ptr<Stream> openAt(std::uint64_t offset) const override {
        return std::make_unique<HeldStream>(*m_bytes, offset);
    }

private:
    class HeldStream final : public Stream {
    public:
        HeldStream(const std::string& bytes, std::uint64_t offset)
            : m_bytes(bytes)
            , m_next(offset < bytes.size() ? static_cast<std::size_t>(offset) : bytes.size()) {}
        std::size_t read(char* into, std::size_t size) override {
            const std::size_t count = std::min(size, m_bytes.size() - m_next);
            m_bytes.copy(into, count, m_next);
            m_next += count;
            return count;
        }

    private:
        const std::string& m_bytes;
        std::size_t m_next;
    };

    std::shared_ptr<const std::string> m_bytes;
};

} // namespace quillmere
