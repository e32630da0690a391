#pragma once
// What a fuzz check does when a property fails. Under libFuzzer the default
// aborts, which saves the input as a crash; the corpus replay tests of the
// normal build install a handler that reports a test failure instead.

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace zv::fuzz {

using FailureHandler = std::function<void(const std::string& what)>;

inline FailureHandler& failureHandler()
{
    static FailureHandler handler;
    return handler;
}

inline void require(bool holds, const char* what)
{
    if (holds)
        return;
    if (failureHandler()) {
        failureHandler()(what);
        return;
    }
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

} // namespace zv::fuzz
