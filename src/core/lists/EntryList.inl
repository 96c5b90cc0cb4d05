#pragma once

namespace quillmere {

template <typename Sink>
bool forEachFileChunk(const EntryList& list, Sink&& sink, std::size_t chunkSize) {
    // The entries of a merged list lie scattered over the files it was made of: their bytes are
    // fetched a few entries ahead, or every copy would wait for memory.
    constexpr std::size_t kPrefetchDistance = 16;
    std::string chunk;
    chunk.reserve(chunkSize + 2);
    for (std::size_t k = 0; k < list.size(); ++k) {
        const std::string_view entry = list[k];
#if defined(__GNUC__)
        if (k + kPrefetchDistance < list.size())
            __builtin_prefetch(list[k + kPrefetchDistance].data());
#endif
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
