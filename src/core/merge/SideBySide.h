#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace quillmere {

// Runs first on a helper thread and second on this one, side by side, and returns once both have
// ended; an exception from the helper is rethrown here. Without a thread to be had, the two run one
// after the other on this thread.
template <typename First, typename Second> void sideBySide(First&& first, Second&& second) {
    std::exception_ptr helperFailure;
    std::jthread helper;
    try {
        helper = std::jthread([&first, &helperFailure] {
            try {
                first();
            } catch (...) {
                helperFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        first();
    }
    second();
    if (helper.joinable())
        helper.join();
    if (helperFailure)
        std::rethrow_exception(helperFailure);
}

} // namespace quillmere
