// The desktop names file: whatever it holds, the store loads it or refuses it (a file with a NUL
// byte, which no JSON holds, and one that names a desktop twice, among those), a refused file says
// why and is never written over.

#include "fuzz_support.h"
#include "model/desktop_name_store.h"
#include "support/error.h"
#include "support/uuid.h"

using namespace tarnwick;

namespace {
constexpr const char* kDesktop = "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = fuzz::scratchFolder() / "names.json";
    const std::string content = fuzz::text(data, size);
    fuzz::writeFile(file, content);

    DesktopNameStore store(file);
    // No JSON holds a raw NUL: the file does not end there.
    if (content.find('\0') != std::string::npos)
        fuzz::require(static_cast<bool>(store.loadError()), "a names file with a NUL byte fails to load");
    fuzz::require(store.loadError() ? !store.loadReason().empty() : store.loadReason().empty(),
                  "a file that failed to load says why, and only then");
    if (store.loadError()) {
        fuzz::require(store.names().empty(), "a file that failed to load gives no names");
        bool refused = false;
        try {
            store.set("Work", kDesktop);
        } catch (const Error&) {
            refused = true;
        }
        fuzz::require(refused, "a store whose file failed to load refuses every change");
        fuzz::require(fuzz::readFile(file) == content, "a file that failed to load is never written over");
        return 0;
    }
    for (const auto& [key, name] : store.names())
        fuzz::require(uuid::canonical(key) == key, "loaded keys are canonical desktop identities");

    // A file the store accepted stays readable after a change, with the change in it.
    auto expected = store.names();
    expected[kDesktop] = "Work";
    store.set(" Work\n", kDesktop);
    DesktopNameStore reloaded(file);
    fuzz::require(!reloaded.loadError(), "a file the store wrote loads again");
    fuzz::require(reloaded.names() == expected, "a file the store wrote holds what it was given");
    return 0;
}
