#pragma once
#include "core/files/text_codec.h"
#include "core/files/text_file.h"
#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace halvana::fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), int(size));
}

// The input as the program decodes a file it reads.
inline QString text(const uint8_t* data, size_t size) { return decodeFileText(bytes(data, size)); }
inline QStringList lines(const uint8_t* data, size_t size) { return splitLines(text(data, size)); }

// A broken invariant is a crash, so that the fuzzer keeps the input.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace halvana::fuzz
