// Kept apart from the parser, which the fuzz targets link without the test framework.
#include <gtest/gtest.h>

#include "testkit/xml_document.h"

namespace tarnwick::testkit {

std::string XmlElement::value(const std::string& key) const {
    if (const std::string* found = attribute(key)) return *found;
    ADD_FAILURE() << "<" << name << "> has no attribute \"" << key << "\"";
    return {};
}

}  // namespace tarnwick::testkit
