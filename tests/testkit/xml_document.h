#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::testkit {

// An element of a parsed XML document, with its attributes and its character data unescaped.
struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<XmlElement> children;
    std::string text;  // the character data directly inside (CDATA too), pieces joined

    const std::string* attribute(const std::string& key) const {
        auto it = attributes.find(key);
        return it == attributes.end() ? nullptr : &it->second;
    }
    // The attribute's text; a missing one fails the test that reads it and reads as no text, so
    // a picture that lost an attribute is reported instead of taking the test program down.
    std::string value(const std::string& key) const;
    double number(const std::string& key) const;
    // Every element of the subtree (this one first, document order) with the name and, when
    // given, the class attribute.
    std::vector<const XmlElement*> all(const std::string& elementName, const std::string& cls = {}) const;
};

// Parses a document with expat, a conforming XML 1.0 parser, so a test fails wherever XML fails:
// a character XML cannot hold (control characters, U+FFFE, U+FFFF), ill-formed UTF-8, an unknown
// entity, a raw "<" or "&", mismatched tags, a duplicate attribute. Returns the root, or nothing
// with the parser's reason and where it stopped in `problem`.
std::optional<XmlElement> parseXml(std::string_view document, std::string* problem = nullptr);

}  // namespace tarnwick::testkit
