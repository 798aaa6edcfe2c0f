#include "support/digest.h"

#include <cstdint>
#include <cstdio>

namespace tarnwick::digest {

std::string fnv1aHex(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    char text[kFnv1aHexLength + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace tarnwick::digest
