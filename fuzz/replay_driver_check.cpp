// A harness that checks the replay driver itself: an input that says "abort" aborts, one that
// says "throw" throws, and any other passes.

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input == "abort") std::abort();
    if (input == "throw") throw std::runtime_error("thrown on purpose");
    return 0;
}
