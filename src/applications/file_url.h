#pragma once

#include <string>
#include <string_view>

namespace tarnwick::file_url {

// Whether a URL string uses the "file" scheme (in any letter case).
bool isFileURL(std::string_view url);

// The path of a URL as the platform gives it: percent escapes decoded and a trailing slash
// dropped (except for the root). Empty when the URL has no path.
std::string path(std::string_view url);

}  // namespace tarnwick::file_url
