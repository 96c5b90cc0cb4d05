// Preloaded into quillmere-cli by the tests to make memory run out on demand: every operator new
// beyond QUILLMERE_TEST_MEMORY_BUDGET live bytes throws std::bad_alloc, as it does when a real
// machine runs out. With QUILLMERE_TEST_MEMORY_AFTER_RENAME, once the process has renamed a file
// (a save putting a list in its place) only that many more bytes may be allocated, so that memory
// runs out after the save. A limit on the address space (RLIMIT_AS) would do the same, but the
// AddressSanitizer of the test build reserves terabytes of shadow memory at start and cannot run
// under one; its own allocator aborts instead of throwing.
#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <malloc.h>
#include <new>

namespace {

std::size_t variable(const char* name) {
    const char* text = std::getenv(name);
    return text ? static_cast<std::size_t>(std::strtoull(text, nullptr, 10))
                : static_cast<std::size_t>(-1);
}

std::atomic<std::size_t> used{0};

std::atomic<std::size_t>& limit() {
    static std::atomic<std::size_t> bytes{variable("QUILLMERE_TEST_MEMORY_BUDGET")};
    return bytes;
}

std::size_t budget() {
    return limit().load();
}

void* allocate(std::size_t size) {
    if (size > budget() || used.load() > budget() - size)
        throw std::bad_alloc();
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (!memory)
        throw std::bad_alloc();
    used += malloc_usable_size(memory);
    return memory;
}

void release(void* memory) noexcept {
    if (!memory)
        return;
    used -= malloc_usable_size(memory);
    std::free(memory);
}

} // namespace

extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    const int result = real(from, to);
    static const std::size_t afterRename = variable("QUILLMERE_TEST_MEMORY_AFTER_RENAME");
    if (result == 0 && afterRename != static_cast<std::size_t>(-1)) {
        const std::size_t lowered = used.load() + afterRename;
        if (lowered < limit().load())
            limit().store(lowered);
    }
    return result;
}

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* memory) noexcept {
    release(memory);
}
void operator delete[](void* memory) noexcept {
    release(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    release(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    release(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    release(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    release(memory);
}
