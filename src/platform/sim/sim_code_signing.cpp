#include "platform/sim/sim_code_signing.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/simulated_session.h"
#include "support/digest.h"
#include "support/error.h"
#include "support/files.h"
#include "support/json.h"

namespace tarnwick::sim {

namespace fs = std::filesystem;
namespace status = platform::code_signing_status;
namespace flags = platform::code_signing_flags;

namespace {

using Seal = std::map<std::string, std::string>;

std::optional<std::string> linkTarget(const fs::path& path) {
    std::error_code error;
    auto target = fs::read_symlink(path, error);
    if (error) return std::nullopt;
    return target.string();
}

// Digests of every file and link below the bundle, by bundle-relative path, leaving out the
// signature folder and nested code. Nothing when an item cannot be read.
std::optional<Seal> sealOf(const fs::path& bundle, const std::vector<std::string>& nested) {
    Seal seal;
    std::error_code error;
    fs::recursive_directory_iterator it(bundle, fs::directory_options::none, error), end;
    if (error) return std::nullopt;
    for (; it != end; it.increment(error)) {
        if (error) return std::nullopt;
        const std::string relative = it->path().lexically_relative(bundle).generic_string();
        const bool skipped =
            relative == "Contents/_CodeSignature" || std::find(nested.begin(), nested.end(), relative) != nested.end();
        auto type = it->symlink_status(error).type();
        if (error) return std::nullopt;
        if (skipped) {
            if (type == fs::file_type::directory) it.disable_recursion_pending();
            continue;
        }
        if (type == fs::file_type::symlink) {
            auto target = linkTarget(it->path());
            if (!target) return std::nullopt;
            seal[relative] = "link:" + digest::fnv1aHex(*target);
        } else if (type == fs::file_type::regular) {
            try {
                seal[relative] = "file:" + digest::fnv1aHex(files::read(it->path()));
            } catch (const Error&) {
                return std::nullopt;
            }
        } else if (type != fs::file_type::directory) {
            seal[relative] = "other";
        }
    }
    return seal;
}

// Whether a link inside the bundle points at something inside it.
bool staysInside(const std::string& relative, const std::string& target) {
    if (fs::path(target).is_absolute()) return false;
    auto joined = (fs::path(relative).parent_path() / target).lexically_normal();
    return !joined.empty() && *joined.begin() != "..";
}

struct Record {
    std::string identifier;
    std::string signer;
    std::map<std::string, bool> architectures;
    std::vector<std::string> nested;
    Seal seal;
};

std::optional<Record> parseRecord(const Value& value) {
    const auto* object = value.asDictionary();
    if (!object) return std::nullopt;
    Record record;
    auto text = [&](const char* key) -> const std::string* {
        auto v = value.find(key);
        return v ? v->asString() : nullptr;
    };
    if (!text("identifier") || !text("signer")) return std::nullopt;
    record.identifier = *text("identifier");
    record.signer = *text("signer");
    auto architectures = value.find("architectures");
    if (!architectures || !architectures->asDictionary()) return std::nullopt;
    for (const auto& [name, intact] : *architectures->asDictionary()) {
        if (!intact.isBool()) return std::nullopt;
        record.architectures[name] = *intact.asBool();
    }
    if (auto nested = value.find("nestedCode")) {
        if (!nested->asArray()) return std::nullopt;
        for (const auto& item : *nested->asArray()) {
            if (!item.asString()) return std::nullopt;
            record.nested.push_back(*item.asString());
        }
    }
    auto resources = value.find("resources");
    if (!resources || !resources->asDictionary()) return std::nullopt;
    for (const auto& [path, digest] : *resources->asDictionary()) {
        if (!digest.asString()) return std::nullopt;
        record.seal[path] = *digest.asString();
    }
    return record;
}

// Reads a bundle's record: kSuccess, kUnsigned (no record) or kSignatureFailed (unreadable).
platform::OSStatus readRecord(const fs::path& bundle, std::optional<Record>& record) {
    const fs::path file = bundle / kSignatureRecordPath;
    if (!files::itemExists(file)) return status::kUnsigned;
    try {
        auto parsed = json::parse(json::readFile(file));
        if (parsed) record = parseRecord(*parsed);
    } catch (const Error&) {}
    return record ? status::kSuccess : status::kSignatureFailed;
}

bool isFolder(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Whether `inner` lies below `outer` (both resolved, without "." or ".." parts), not at it.
bool strictlyInside(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty()) continue;  // the empty last part of a folder path ending in "/"
        if (i == inner.end() || *i != *o) return false;
    }
    for (; i != inner.end(); ++i)
        if (!i->empty()) return true;
    return false;
}

// The resolved folder of a nested code item: a relative path that stays strictly inside the
// bundle even once its links are followed. Anything else (the bundle itself, a way out, a link
// as the item) is no nested code of this bundle.
std::optional<fs::path> nestedCodeFolder(const fs::path& bundle, const std::string& relative) {
    const fs::path normal = fs::path(relative).lexically_normal();
    if (relative.empty() || normal.is_absolute() || normal.empty() || normal == "." || *normal.begin() == "..")
        return std::nullopt;
    if (!isFolder(bundle / normal)) return std::nullopt;
    std::error_code error;
    const fs::path outer = fs::canonical(bundle, error);
    if (error) return std::nullopt;
    const fs::path inner = fs::canonical(bundle / normal, error);
    if (error || !strictlyInside(inner, outer)) return std::nullopt;
    return inner;
}

// `visited` holds the resolved folders of the code checked so far, so that no record can lead
// the check back to code it is already checking.
platform::OSStatus checkBundle(const fs::path& bundle, std::uint32_t checkFlags, const std::string* requirement,
                               std::set<fs::path>& visited) {
    if (!isFolder(bundle)) return status::kStaticCodeNotFound;
    std::optional<Record> record;
    if (auto result = readRecord(bundle, record); result != status::kSuccess) return result;

    if (record->architectures.empty()) return status::kSignatureFailed;
    if (checkFlags & flags::kCheckAllArchitectures) {
        for (const auto& [name, intact] : record->architectures)
            if (!intact) return status::kSignatureFailed;
    } else {
        auto native = record->architectures.find(SimCodeSigning::kNativeArchitecture);
        const bool intact =
            native != record->architectures.end() ? native->second : record->architectures.begin()->second;
        if (!intact) return status::kSignatureFailed;
    }

    auto seal = sealOf(bundle, record->nested);
    if (!seal || *seal != record->seal) return status::kBadResource;
    if (checkFlags & flags::kStrictValidate) {
        for (const auto& [relative, digest] : *seal) {
            if (!digest.starts_with("link:")) continue;
            auto target = linkTarget(bundle / relative);
            if (!target || !staysInside(relative, *target)) return status::kBadResource;
        }
    }

    for (const auto& nested : record->nested) {
        const auto code = nestedCodeFolder(bundle, nested);
        if (!code || !visited.insert(*code).second) return status::kBadNestedCode;
        if ((checkFlags & flags::kCheckNestedCode) &&
            checkBundle(bundle / fs::path(nested).lexically_normal(), checkFlags, nullptr, visited) != status::kSuccess)
            return status::kBadNestedCode;
    }

    if (requirement && *requirement != SimCodeSigning::requirementText(record->identifier, record->signer))
        return status::kRequirementFailed;
    return status::kSuccess;
}

}  // namespace

std::string SimCodeSigning::requirementText(const std::string& identifier, const std::string& signer) {
    return "identifier \"" + identifier + "\" and certificate leaf[subject.CN] = \"" + signer + "\"";
}

platform::OSStatus SimCodeSigning::copySelf(std::optional<platform::Code>& self) {
    if (!session_.codeSigning.selfAvailable) return status::kNoSuchCode;
    self = platform::Code{session_.system().processIdentifier()};
    return status::kSuccess;
}

platform::OSStatus SimCodeSigning::copyStaticCode(const platform::Code& code,
                                                  std::optional<platform::StaticCode>& staticCode) {
    if (code.processIdentifier != session_.system().processIdentifier()) return status::kNoSuchCode;
    const fs::path bundle = session_.platform().mainBundle->bundleURL();
    if (!isFolder(bundle)) return status::kStaticCodeNotFound;
    staticCode = platform::StaticCode{bundle};
    return status::kSuccess;
}

platform::OSStatus SimCodeSigning::copyDesignatedRequirement(const platform::StaticCode& code,
                                                             std::optional<platform::CodeRequirement>& requirement) {
    std::optional<Record> record;
    if (auto result = readRecord(code.path, record); result != status::kSuccess) return result;
    requirement = platform::CodeRequirement{requirementText(record->identifier, record->signer)};
    return status::kSuccess;
}

platform::OSStatus SimCodeSigning::createStaticCodeWithPath(const fs::path& path,
                                                            std::optional<platform::StaticCode>& staticCode) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return status::kStaticCodeNotFound;
    staticCode = platform::StaticCode{path};
    return status::kSuccess;
}

platform::OSStatus SimCodeSigning::checkStaticCodeValidity(const platform::StaticCode& code, std::uint32_t checkFlags,
                                                           const platform::CodeRequirement* requirement) {
    std::set<fs::path> visited;
    std::error_code error;
    if (auto self = fs::canonical(code.path, error); !error) visited.insert(self);
    return checkBundle(code.path, checkFlags, requirement ? &requirement->text : nullptr, visited);
}

void SimCodeSigning::sign(const fs::path& bundle, const SigningIdentity& identity) {
    auto seal = sealOf(bundle, identity.nestedCode);
    if (!seal) throw file_error::make(file_error::kFileReadUnknown, bundle.filename().string());
    Value record;
    record["identifier"] = identity.identifier;
    record["signer"] = identity.signer;
    Dictionary architectures;
    for (const auto& [name, intact] : identity.architectures) architectures[name] = intact;
    record["architectures"] = Value(std::move(architectures));
    Array nested;
    for (const auto& path : identity.nestedCode) nested.emplace_back(path);
    record["nestedCode"] = Value(std::move(nested));
    Dictionary resources;
    for (const auto& [path, digest] : *seal) resources[path] = digest;
    record["resources"] = Value(std::move(resources));
    files::createDirectories(bundle / "Contents/_CodeSignature");
    files::writeAtomically(bundle / kSignatureRecordPath, *json::write(record, json::Style::pretty));
}

}  // namespace tarnwick::sim
