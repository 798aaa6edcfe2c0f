#include "testkit/xml_document.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace tarnwick::testkit {

namespace {

// Builds the tree from expat's events: the open elements form a path from the root down.
class TreeBuilder {
public:
    explicit TreeBuilder(XML_Parser parser) {
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &TreeBuilder::start, &TreeBuilder::end);
        XML_SetCharacterDataHandler(parser, &TreeBuilder::characters);
    }
    std::optional<XmlElement> root() { return std::move(root_); }

private:
    static void start(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& self = *static_cast<TreeBuilder*>(data);
        XmlElement element;
        element.name = name;
        for (const XML_Char** pair = attributes; *pair; pair += 2) element.attributes.emplace(pair[0], pair[1]);
        self.open_.push_back(std::move(element));
    }
    static void end(void* data, const XML_Char*) {
        auto& self = *static_cast<TreeBuilder*>(data);
        XmlElement element = std::move(self.open_.back());
        self.open_.pop_back();
        if (self.open_.empty())
            self.root_ = std::move(element);
        else
            self.open_.back().children.push_back(std::move(element));
    }
    static void characters(void* data, const XML_Char* text, int length) {
        auto& self = *static_cast<TreeBuilder*>(data);
        if (!self.open_.empty()) self.open_.back().text.append(text, static_cast<std::size_t>(length));
    }

    std::vector<XmlElement> open_;
    std::optional<XmlElement> root_;
};

void collect(const XmlElement& element, const std::string& name, const std::string& cls,
             std::vector<const XmlElement*>& found) {
    if (element.name == name && (cls.empty() || (element.attribute("class") && *element.attribute("class") == cls)))
        found.push_back(&element);
    for (const auto& child : element.children) collect(child, name, cls, found);
}

}  // namespace

double XmlElement::number(const std::string& key) const {
    const std::string* value = attribute(key);
    return value ? std::strtod(value->c_str(), nullptr) : 0;
}

std::vector<const XmlElement*> XmlElement::all(const std::string& elementName, const std::string& cls) const {
    std::vector<const XmlElement*> found;
    collect(*this, elementName, cls, found);
    return found;
}

std::optional<XmlElement> parseXml(std::string_view document, std::string* problem) {
    // UTF-8 unless the document declares otherwise; no namespace processing, so a prefixed name
    // keeps its prefix.
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) {
        if (problem) *problem = "the XML parser could not be made";
        return std::nullopt;
    }
    std::optional<XmlElement> root;
    {
        TreeBuilder builder(parser);
        bool parsed = true;
        std::size_t at = 0;
        do {
            const std::size_t piece = std::min<std::size_t>(document.size() - at, INT_MAX / 2);
            const bool last = at + piece == document.size();
            parsed = XML_Parse(parser, document.data() + at, static_cast<int>(piece), last) == XML_STATUS_OK;
            at += piece;
        } while (parsed && at < document.size());
        if (parsed) {
            root = builder.root();
        } else if (problem) {
            *problem = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                       std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                       std::to_string(XML_GetCurrentColumnNumber(parser));
        }
    }
    XML_ParserFree(parser);
    return root;
}

}  // namespace tarnwick::testkit
