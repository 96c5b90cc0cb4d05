#pragma once

namespace quillmere {

template <typename Sink>
bool forEachFileChunk(const EntryList& list, Sink&& sink, std::size_t chunkSize) {
    std::string chunk;
    chunk.reserve(chunkSize + 2);
    for (std::string_view entry : list) {
        if (!chunk.empty() && chunk.size() + entry.size() + 2 > chunkSize) {
            if (!sink(std::string_view(chunk)))
                return false;
            chunk.clear();
        }
        if (entry.size() + 2 > chunkSize) {
            if (!sink(entry) || !sink(std::string_view("\r\n")))
                return false;
            continue;
        }
        chunk.append(entry);
        chunk.append("\r\n");
    }
    return chunk.empty() || sink(std::string_view(chunk));
}

} // namespace quillmere
