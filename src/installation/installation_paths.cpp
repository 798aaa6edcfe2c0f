#include "installation/installation_paths.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace tarnwick::paths {

namespace fs = std::filesystem;

namespace {

// Enough for any honest chain of links; a loop gives up and keeps the rest as written.
constexpr int kMaximumLinkHops = 40;

std::vector<std::string> components(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string trimmedText(const fs::path& path) {
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

fs::path standardized(const fs::path& path) {
    const std::string text = path.string();
    if (text.empty()) return path;
    const bool absolute = text.front() == '/';
    std::vector<std::string> kept;
    for (auto& part : components(text)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!kept.empty() && kept.back() != "..") {
                kept.pop_back();
                continue;
            }
            if (absolute) continue;  // ".." above the root is the root
        }
        kept.push_back(std::move(part));
    }
    if (!absolute && kept.empty()) return fs::path(".");
    std::string result(absolute ? 1 : 0, '/');
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i) result += '/';
        result += kept[i];
    }
    return fs::path(result);
}

fs::path resolvingSymlinks(const fs::path& path) {
    std::string text = path.string();
    if (text.empty()) return path;
    if (text.front() != '/') {
        std::error_code error;
        auto here = fs::current_path(error);
        if (error) return path;
        text = here.string() + "/" + text;
    }
    // Components still to walk, the next one last.
    std::vector<std::string> pending = components(text);
    std::reverse(pending.begin(), pending.end());
    std::string current;  // resolved so far, "" meaning the root
    int hops = 0;
    bool missing = false;
    while (!pending.empty()) {
        std::string part = std::move(pending.back());
        pending.pop_back();
        if (part == ".") continue;
        if (part == "..") {
            if (missing) {
                current += "/..";
            } else if (auto slash = current.rfind('/'); slash != std::string::npos) {
                current.erase(slash);
            }
            continue;
        }
        const std::string next = current + "/" + part;
        if (missing) {
            current = next;
            continue;
        }
        struct stat info {};
        if (::lstat(next.c_str(), &info) != 0) {
            missing = true;  // the rest is kept as written
            current = next;
            continue;
        }
        if (!S_ISLNK(info.st_mode) || ++hops > kMaximumLinkHops) {
            current = next;
            continue;
        }
        std::error_code error;
        const std::string target = fs::read_symlink(next, error).string();
        if (error || target.empty()) {
            current = next;
            continue;
        }
        if (target.front() == '/') current.clear();
        auto targetParts = components(target);
        pending.insert(pending.end(), targetParts.rbegin(), targetParts.rend());
    }
    return fs::path(current.empty() ? "/" : current);
}

fs::path normalized(const fs::path& path) { return standardized(resolvingSymlinks(path)); }

fs::path withoutTrailingSlash(const fs::path& path) { return fs::path(trimmedText(path)); }

std::string lastComponent(const fs::path& path) {
    const std::string text = trimmedText(path);
    if (text == "/") return text;
    auto slash = text.rfind('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

fs::path parent(const fs::path& path) {
    const std::string text = trimmedText(path);
    auto slash = text.rfind('/');
    if (slash == std::string::npos) return fs::path(".");
    if (slash == 0) return fs::path("/");
    return fs::path(text.substr(0, slash));
}

}  // namespace tarnwick::paths
