#include "support/uuid.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <random>

namespace tarnwick::uuid {

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<Bytes> parse(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    Bytes bytes{};
    size_t byte = 0;
    for (size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        int high = hexValue(text[i]);
        int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[byte++] = static_cast<std::uint8_t>(high * 16 + low);
        i += 2;
    }
    return bytes;
}

std::string format(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0xF];
    }
    return out;
}

std::optional<std::string> canonical(std::string_view text) {
    auto bytes = parse(text);
    if (!bytes) return std::nullopt;
    return format(*bytes);
}

namespace {

// The generator's whole state from the system's entropy: seeded from one 32-bit value, it could
// only ever make 2^32 sequences of names, and two runs would meet on the same ones far sooner
// than the names' 122 random bits promise.
// The words come from the kernel in one call: the library's std::random_device asks the processor
// for each word on its own (RDSEED), which costs most of a millisecond for the whole state, at
// every start. Where the kernel cannot give them, std::random_device still does.
std::mt19937_64 seededGenerator() {
    std::array<std::uint32_t, 2 * std::mt19937_64::state_size> words;
    auto* bytes = reinterpret_cast<unsigned char*>(words.data());
    std::size_t filled = 0;
    while (filled < sizeof words) {
        const ssize_t got = getrandom(bytes + filled, sizeof words - filled, 0);
        if (got > 0)
            filled += static_cast<std::size_t>(got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    if (filled < sizeof words) {
        std::random_device entropy;
        for (auto& word : words) word = entropy();
    }
    std::seed_seq seed(words.begin(), words.end());
    return std::mt19937_64(seed);
}

}  // namespace

std::string random() {
    static std::mutex mutex;
    static std::mt19937_64 generator = seededGenerator();
    Bytes bytes;
    {
        std::lock_guard lock(mutex);
        for (size_t i = 0; i < bytes.size(); i += 8) {
            auto word = generator();
            for (size_t j = 0; j < 8; ++j) bytes[i + j] = static_cast<std::uint8_t>(word >> (j * 8));
        }
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    return format(bytes);
}

}  // namespace tarnwick::uuid
