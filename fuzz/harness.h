// Each fuzz target defines Fuzz(text), whose broken invariants crash with the input. An input
// 0xFF n rest stands for 32,700 + n letters "x" and the rest: it reaches positions past 32,767.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "platform/errors.h"

#define FUZZ_CHECK(condition) \
    ((condition) ? void()     \
                 : (std::fprintf(stderr, "invariant broken: %s\n", #condition), std::abort()))

void Fuzz(const std::string& text);

// The number of the RuntimeError `call` fails with, 0 for none; only `allowed` ones may occur.
template <class Call>
int ErrorOf(Call call, std::initializer_list<int> allowed) {
    try {
        call();
    } catch (const iconlane::RuntimeError& error) {
        bool expected = false;
        for (int number : allowed) expected = expected || number == error.Number();
        FUZZ_CHECK(expected);
        return error.Number();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Fuzz(size >= 2 && data[0] == 0xFF ? std::string(32700 + data[1], 'x') + text.substr(2) : text);
    return 0;
}
