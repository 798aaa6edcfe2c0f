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
    std::string text;  // the character data directly inside, pieces joined

    const std::string* attribute(const std::string& key) const {
        auto it = attributes.find(key);
        return it == attributes.end() ? nullptr : &it->second;
    }
    double number(const std::string& key) const;
    // Every element of the subtree (this one first, document order) with the name and, when
    // given, the class attribute.
    std::vector<const XmlElement*> all(const std::string& elementName, const std::string& cls = {}) const;
};

// A small check that a document is well-formed XML: one root element, properly nested and
// matching tags, quoted attributes without duplicates, only the five named entities and
// character references, no "<" or "&" left raw in text or attributes; an XML declaration,
// comments and white space around the root are allowed. Returns the root, or nothing with the
// first problem in `problem`.
std::optional<XmlElement> parseXml(std::string_view document, std::string* problem = nullptr);

}  // namespace tarnwick::testkit
