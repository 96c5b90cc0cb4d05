#include "core/merge/KeySort.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace quillmere {

namespace {

// Below this many keys a bucket is finished by insertion: a radix pass would cost more.
constexpr std::size_t kSmallRange = 32;
constexpr unsigned kKeyBytes = 16;
constexpr std::size_t kMinKeysPerThread = 16384;

unsigned byteAt(const EntryKey& key, unsigned depth) {
    const std::uint64_t word = depth < 8 ? key.head : key.next;
    return static_cast<unsigned>(word >> (56 - 8 * (depth % 8))) & 0xFFU;
}

void insertionSort(std::span<EntryKey> keys, const EntryKeys& table) {
    for (std::size_t i = 1; i < keys.size(); ++i) {
        const EntryKey key = keys[i];
        std::size_t j = i;
        for (; j > 0 && table.less(key, keys[j - 1]); --j)
            keys[j] = keys[j - 1];
        keys[j] = key;
    }
}

// Where each byte's keys lie: bucket b spans [bounds[b], bounds[b + 1]).
using Bounds = std::array<std::size_t, 257>;

// Where the buckets of the keys' bytes at the depth lie once the keys are in them, and where each
// bucket's first key goes: bucket b spans [bounds[b], bounds[b + 1]).
struct Buckets {
    Bounds bounds{};
    std::array<std::size_t, 256> next{};
};

Buckets bucketsOf(std::span<const EntryKey> keys, unsigned depth) {
    std::array<std::size_t, 256> count{};
    for (const EntryKey& key : keys)
        ++count[byteAt(key, depth)];
    Buckets buckets;
    for (unsigned b = 0; b < 256; ++b)
        buckets.bounds[b + 1] = buckets.bounds[b] + count[b];
    std::copy_n(buckets.bounds.begin(), 256, buckets.next.begin());
    return buckets;
}

// Moves every key into the bucket of its byte at the depth, in place.
Bounds partition(std::span<EntryKey> keys, unsigned depth) {
    Buckets buckets = bucketsOf(keys, depth);
    const Bounds& bounds = buckets.bounds;
    std::array<std::size_t, 256>& next = buckets.next;
    for (unsigned b = 0; b < 256; ++b) {
        while (next[b] < bounds[b + 1]) {
            EntryKey key = keys[next[b]];
            for (unsigned target = byteAt(key, depth); target != b; target = byteAt(key, depth))
                std::swap(key, keys[next[target]++]);
            keys[next[b]++] = key;
        }
    }
    return bounds;
}

// The same through the scratch array, which must hold as many keys: each key is copied to its
// bucket's next place there, in the order read, and the whole copied back. Two passes in order
// cost less than the swaps of partition(), each of which waits for the one before.
Bounds scatter(std::span<EntryKey> keys, unsigned depth, std::span<EntryKey> scratch) {
    Buckets buckets = bucketsOf(keys, depth);
    for (const EntryKey& key : keys)
        scratch[buckets.next[byteAt(key, depth)]++] = key;
    std::copy_n(scratch.begin(), keys.size(), keys.begin());
    return buckets.bounds;
}

// Ranges up to this many keys (3 MiB of them) go through a scratch array of the sorting thread's;
// larger ones, the first byte's buckets of millions of keys, are partitioned in place. A scratch
// array for those would cost more in fresh memory than the passes save.
constexpr std::size_t kMostScattered = std::size_t{1} << 17;

void sortRange(std::span<EntryKey> keys, unsigned depth, const EntryKeys& table,
               std::vector<EntryKey>& scratch) {
    if (keys.size() <= kSmallRange) {
        insertionSort(keys, table);
        return;
    }
    if (depth == kKeyBytes) {
        std::sort(keys.begin(), keys.end(),
                  [&table](const EntryKey& a, const EntryKey& b) { return table.less(a, b); });
        return;
    }
    Bounds bounds;
    if (keys.size() <= kMostScattered) {
        if (scratch.size() < keys.size())
            scratch.resize(keys.size());
        bounds = scatter(keys, depth, scratch);
    } else {
        bounds = partition(keys, depth);
    }
    for (unsigned b = 0; b < 256; ++b) {
        if (bounds[b + 1] - bounds[b] > 1)
            sortRange(keys.subspan(bounds[b], bounds[b + 1] - bounds[b]), depth + 1, table,
                      scratch);
    }
}

// Sorts each bucket from the given depth on, the buckets shared out between one thread per core.
void sortBucketsOnCores(std::span<EntryKey> keys, std::span<const std::size_t> bounds,
                        unsigned depth, const EntryKeys& table) {
    struct Bucket {
        std::size_t first;
        std::size_t count;
    };
    std::vector<Bucket> buckets;
    for (std::size_t b = 0; b + 1 < bounds.size(); ++b) {
        if (bounds[b + 1] - bounds[b] > 1)
            buckets.push_back({bounds[b], bounds[b + 1] - bounds[b]});
    }
    // The largest buckets first, so that the threads end at about the same time: the last one a
    // thread takes is a small one.
    std::stable_sort(buckets.begin(), buckets.end(),
                     [](const Bucket& a, const Bucket& b) { return a.count > b.count; });
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t threads = std::min(cores, keys.size() / kMinKeysPerThread);
    std::atomic<std::size_t> nextBucket{0};
    const auto sortBuckets = [&] {
        std::vector<EntryKey> scratch;
        for (std::size_t taken; (taken = nextBucket.fetch_add(1)) < buckets.size();)
            sortRange(keys.subspan(buckets[taken].first, buckets[taken].count), depth, table,
                      scratch);
    };
    // A helper that runs out of memory for its scratch array stops, and its exception is this
    // thread's once the others are done: thrown on the helper, it would end the program.
    std::vector<std::exception_ptr> failures(threads);
    {
        std::vector<std::jthread> helpers;
        try {
            for (std::size_t helper = 1; helper < threads; ++helper)
                helpers.emplace_back([&sortBuckets, &failure = failures[helper]] {
                    try {
                        sortBuckets();
                    } catch (...) {
                        failure = std::current_exception();
                    }
                });
        } catch (const std::system_error&) {
            // Fewer threads than cores: the buckets are shared among those there are.
        }
        sortBuckets();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace

void sortEntryKeys(std::span<EntryKey> keys, const EntryKeys& table) {
    if (keys.size() < 2 * kMinKeysPerThread) {
        std::vector<EntryKey> scratch;
        sortRange(keys, 0, table, scratch);
        return;
    }
    sortBucketsOnCores(keys, partition(keys, 0), 1, table);
}

void sortBucketedKeys(std::span<EntryKey> keys, std::span<const std::size_t> bounds,
                      const EntryKeys& table) {
    sortBucketsOnCores(keys, bounds, 2, table);
}

} // namespace quillmere
