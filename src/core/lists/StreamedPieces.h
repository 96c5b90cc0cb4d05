#pragma once

#include "core/lists/ByteSource.h"
#include "core/lists/FilePieces.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace quillmere {

// The pieces of a stretch of a byte source, cut as FilePieceCursor cuts bytes held whole, one at
// a time: only one part of the stretch and the piece it ends in are held at once. A piece's view
// holds until the next call of next().
class StreamedPieces final {
public:
    // The stretch starts where the stream does, at the given offset of the source, and is at most
    // limit bytes long.
    StreamedPieces(ByteSource::Stream& stream, std::uint64_t offset, std::uint64_t limit,
                   std::size_t partSize)
        : m_stream(stream)
        , m_partSize(partSize)
        , m_left(limit)
        , m_bufferOffset(offset) {}

    // False when no piece is left.
    bool next(std::string_view& piece) {
        while (!m_pieces.next(piece)) {
            if (m_atEnd)
                return false;
            readPart();
        }
        return true;
    }

    // Where the piece lies in the source.
    std::uint64_t offsetOf(std::string_view piece) const {
        return m_bufferOffset + static_cast<std::uint64_t>(piece.data() - m_buffer.data());
    }
    // The bytes read so far.
    std::uint64_t bytesRead() const { return m_bufferOffset + m_filled; }

private:
    // Keeps the bytes after the last CR LF, reads the next part behind them and cuts what now ends
    // in a CR LF. Only the part just read, with the CR that may end the bytes kept, can hold it.
    void readPart() {
        const std::size_t kept = m_filled - m_cut;
        std::memmove(m_buffer.data(), m_buffer.data() + m_cut, kept);
        m_bufferOffset += m_cut;
        m_filled = kept;
        m_cut = 0;
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(m_partSize, m_left));
        if (m_buffer.size() < kept + wanted)
            m_buffer.resize(kept + wanted);
        const std::size_t got = wanted == 0 ? 0 : m_stream.read(m_buffer.data() + kept, wanted);
        m_left -= got;
        m_filled += got;
        const std::string_view bytes(m_buffer.data(), m_filled);
        if (got == 0) {
            m_atEnd = true;
            m_cut = m_filled;
        } else {
            const std::size_t from = kept > 0 ? kept - 1 : 0;
            const std::size_t lastBreak = bytes.substr(from).rfind("\r\n");
            m_cut = lastBreak == std::string_view::npos ? 0 : from + lastBreak + 2;
        }
        m_pieces = FilePieceCursor(bytes.substr(0, m_cut));
    }

    ByteSource::Stream& m_stream;
    std::size_t m_partSize;
    std::uint64_t m_left;
    std::string m_buffer;
    std::uint64_t m_bufferOffset; // where the buffer's first byte lies in the source
    std::size_t m_filled = 0;     // bytes in the buffer
    std::size_t m_cut = 0;        // the buffer's bytes up to the last CR LF, already cut
    FilePieceCursor m_pieces{std::string_view()};
    bool m_atEnd = false;
};

} // namespace quillmere
