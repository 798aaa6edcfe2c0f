#include "platform/file_url.h"

#include <cctype>

namespace tarnwick::platform {

namespace {

// Characters a URL path keeps as they are (RFC 3986 unreserved, sub-delimiters, ":", "@", "/").
bool keepsInPath(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return c != 0 && std::string_view("-._~!$&'()*+,;=:@/").find(static_cast<char>(c)) != std::string_view::npos;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string fileURLString(const std::filesystem::path& path, bool isDirectory) {
    static const char* digits = "0123456789ABCDEF";
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    if (isDirectory && text != "/") text += '/';
    std::string url = "file://";
    for (unsigned char c : text) {
        if (keepsInPath(c)) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += digits[c >> 4];
            url += digits[c & 0xF];
        }
    }
    return url;
}

std::optional<std::filesystem::path> pathFromFileURL(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    if (url.size() < scheme.size()) return std::nullopt;
    for (size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != scheme[i]) return std::nullopt;
    url.remove_prefix(scheme.size());
    // Only a local file: no host, or "localhost".
    if (url.starts_with("localhost/")) url.remove_prefix(9);
    if (url.empty() || url.front() != '/') return std::nullopt;
    std::string text;
    for (size_t i = 0; i < url.size(); ++i) {
        char c = url[i];
        if (c == '?' || c == '#') break;
        // A path cannot hold a NUL: written raw or escaped, it would cut the path short.
        if (c == '\0') return std::nullopt;
        if (c != '%') {
            text += c;
            continue;
        }
        if (i + 2 >= url.size()) return std::nullopt;
        int high = hexValue(url[i + 1]), low = hexValue(url[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        const char decoded = static_cast<char>(high * 16 + low);
        if (decoded == '\0') return std::nullopt;
        text += decoded;
        i += 2;
    }
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return std::filesystem::path(text);
}

}  // namespace tarnwick::platform
