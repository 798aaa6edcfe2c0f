#include "applications/file_url.h"

#include <cctype>
#include <optional>

namespace tarnwick::file_url {

namespace {

std::optional<int> hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// Decodes %XX escapes; a malformed escape stays as written.
std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            auto high = hexValue(text[i + 1]);
            auto low = hexValue(text[i + 2]);
            if (high && low) {
                out += static_cast<char>(*high * 16 + *low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The scheme's length (without the colon), or 0 when the text has no scheme.
size_t schemeLength(std::string_view url) {
    if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0]))) return 0;
    for (size_t i = 1; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (c == ':') return i;
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return 0;
    }
    return 0;
}

}  // namespace

bool isFileURL(std::string_view url) {
    const size_t length = schemeLength(url);
    if (length != 4) return false;
    for (size_t i = 0; i < 4; ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != "file"[i]) return false;
    return true;
}

std::string path(std::string_view url) {
    std::string_view rest = url;
    if (const size_t length = schemeLength(url)) rest.remove_prefix(length + 1);
    // Skip the authority ("//host").
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    // The query and fragment are not part of the path.
    if (const size_t end = rest.find_first_of("?#"); end != std::string_view::npos) rest = rest.substr(0, end);
    std::string decoded = percentDecoded(rest);
    while (decoded.size() > 1 && decoded.back() == '/') decoded.pop_back();
    return decoded;
}

}  // namespace tarnwick::file_url
