#pragma once

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

// A broken invariant ends the run like a crash does, so that the fuzzer keeps the input that broke it.
#define TK_FUZZ_CHECK(condition)                                                                    \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "broken invariant: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)

namespace tk::fuzz {

// The input without a copy, so that a read past its end meets the sanitizer's red zone.
inline QByteArray InputBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A target in its default state. Copied from one built once: the copy shares the texts, which building
// anew for every input would allocate again.
template <typename Target>
std::unique_ptr<Target> Fresh() {
    static const Target prototype{};
    return std::make_unique<Target>(prototype);
}

// A file the loader took whole must survive a save and a load unchanged: the bytes written from what was
// loaded load completely into a fresh target and are written again bit for bit.
template <typename Target, typename Load, typename Save, typename IsLoaded>
void CheckRoundTrip(const Target& loaded, Load load, Save save, IsLoaded isLoaded) {
    const QByteArray saved = save(loaded);
    auto again = Fresh<Target>();
    TK_FUZZ_CHECK(isLoaded(load(saved, *again)));
    TK_FUZZ_CHECK(save(*again) == saved);
}

}  // namespace tk::fuzz
