#include "installation/base64.h"

#include <algorithm>
#include <cstdint>

namespace tarnwick::base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int valueOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - i);
        std::uint32_t block = 0;
        for (size_t j = 0; j < 3; ++j)
            block = (block << 8) | (j < count ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        for (size_t j = 0; j < 4; ++j) out += j <= count ? kAlphabet[(block >> (18 - 6 * j)) & 0x3F] : '=';
    }
    return out;
}

std::optional<std::string> decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        size_t padding = 0;
        std::uint32_t block = 0;
        for (size_t j = 0; j < 4; ++j) {
            const char c = text[i + j];
            if (c == '=') {
                // Padding only in the last two places of the last block.
                if (!last || j < 2) return std::nullopt;
                ++padding;
                block <<= 6;
                continue;
            }
            if (padding) return std::nullopt;
            int v = valueOf(c);
            if (v < 0) return std::nullopt;
            block = (block << 6) | static_cast<std::uint32_t>(v);
        }
        for (size_t j = 0; j < 3 - padding; ++j) out += static_cast<char>((block >> (16 - 8 * j)) & 0xFF);
    }
    return out;
}

}  // namespace tarnwick::base64
