// The preferences domain file: whatever it holds, the domain loads it or starts empty without
// ever writing over it (a file with a NUL byte, which no JSON holds, among those), every
// preference read from it is usable, and what the domain writes reads back as the same values,
// nested no deeper than the file it read.

#include <algorithm>

#include "fuzz_support.h"
#include "model/app_preferences_store.h"
#include "model/banner_preferences.h"
#include "model/display_name_store.h"
#include "model/overview_shortcut_store.h"
#include "model/preference_limits.h"
#include "platform/sim/memory_user_defaults.h"
#include "support/json.h"

using namespace tarnwick;

namespace {

// The domain as its file would hold it: comparable even when it holds NaN.
std::string encoded(const Dictionary& values) {
    return json::write(sim::encodeDefaultsValue(Value(values))).value_or("not representable");
}

void readEveryPreference(platform::UserDefaults& defaults) {
    const AppPreferences preferences = AppPreferencesStore(defaults).value();
    fuzz::require(preferences == preferences.normalized(), "stored preferences are read in their normalized form");
    const double scale = BannerPreferences(defaults).scale();
    fuzz::require(BannerSize::range.contains(scale), "the banner's scale is within its limits");
    OverviewShortcutStore(defaults).value();
    DisplayNameStore(defaults).aliases();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = fuzz::scratchFolder() / "local.orlenbay.Tarnwick.json";
    const std::string content = fuzz::text(data, size);
    fuzz::writeFile(file, content);
    const auto written = fuzz::identity(file);

    sim::MemoryUserDefaults defaults(file);
    // No JSON holds a raw NUL: the file does not end there.
    if (content.find('\0') != std::string::npos)
        fuzz::require(defaults.unreadable().has_value(), "a domain file with a NUL byte is unreadable");
    readEveryPreference(defaults);
    defaults.set("fuzzProbe", 1);
    // Every save replaces the file, so the same file means it was left alone.
    if (fuzz::identity(file) == written) {
        fuzz::require(fuzz::readFile(file) == content, "a domain file left alone is unchanged");
        fuzz::require(defaults.snapshot() == Dictionary{{"fuzzProbe", Value(1)}},
                      "a domain whose file is left alone started empty");
        return 0;
    }
    sim::MemoryUserDefaults reloaded(file);
    fuzz::require(!reloaded.unreadable(), "a domain written reads back");
    fuzz::require(encoded(reloaded.snapshot()) == encoded(defaults.snapshot()),
                  "a domain reads back as the values it wrote");
    // Read and written back, a domain nests no deeper than it did (the probe is one level).
    if (!defaults.unreadable())
        fuzz::require(
            json::depth(*json::parse(fuzz::readFile(file))) <= std::max(json::depth(*json::parse(content)), 1),
            "a domain read is written back no deeper");
    readEveryPreference(reloaded);
    return 0;
}
