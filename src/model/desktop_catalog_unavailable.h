#pragma once

#include <string>

#include "support/error.h"

namespace tarnwick {

// The desktop catalog or the names saved for it cannot be used; what() is the complete sentence
// shown to the user.
class DesktopCatalogUnavailable : public Error {
public:
    explicit DesktopCatalogUnavailable(std::string message) : Error(std::move(message)) {}
};

}  // namespace tarnwick
