#pragma once

#include <string>

#include "support/error.h"

namespace tarnwick {

// The desktop catalog or the saved names cannot be used; the message is a complete sentence
// that says what the user can do.
class DesktopCatalogUnavailable : public Error {
public:
    explicit DesktopCatalogUnavailable(std::string message) : Error(std::move(message)) {}
};

}  // namespace tarnwick
