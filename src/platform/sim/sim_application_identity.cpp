#include "platform/sim/sim_application_identity.h"

#include "platform/bundle.h"
#include "platform/sim/sim_icons.h"
#include "platform/sim/sim_shared_application.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace {

// A manifest text: a non-empty string, or a whole number written as one (builds often are).
std::optional<std::string> manifestText(const platform::Bundle& bundle, const char* key) {
    const auto value = bundle.object(key);
    if (!value) return std::nullopt;
    if (const std::string* text = value->asString()) return text->empty() ? std::nullopt : std::optional(*text);
    if (const auto number = value->toInt64(); number && value->isInteger()) return std::to_string(*number);
    return std::nullopt;
}

}  // namespace

SimApplicationIdentity SimApplicationIdentity::of(SimulatedSession& session) {
    SimApplicationIdentity identity;
    identity.bundle = session.platform().mainBundle->bundleURL();
    const platform::Bundle bundle(identity.bundle);
    identity.name = manifestText(bundle, "CFBundleName").value_or(SimSharedApplication::kApplicationName);
    identity.version = manifestText(bundle, "CFBundleShortVersionString");
    identity.build = manifestText(bundle, "CFBundleVersion");
    identity.copyright = manifestText(bundle, "NSHumanReadableCopyright");
    return identity;
}

std::optional<std::string> SimApplicationIdentity::versionLine() const {
    if (version && build && *version != *build) return "Version " + *version + " (" + *build + ")";
    if (version) return "Version " + *version;
    if (build) return "Build " + *build;
    return std::nullopt;
}

platform::Image SimApplicationIdentity::icon(SimulatedSession& session) const {
    platform::Image image = session.icons().iconForFile(bundle.string());
    image.accessibilityDescription = name;
    return image;
}

}  // namespace tarnwick::sim
