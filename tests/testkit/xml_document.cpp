#include "testkit/xml_document.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace tarnwick::testkit {

namespace {

struct XmlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    XmlElement document() {
        skipMisc(true);
        if (!startsWith("<")) fail("no root element");
        XmlElement root = element();
        skipMisc(false);
        if (at_ != text_.size()) fail("content after the root element");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) { throw XmlError(what + " at byte " + std::to_string(at_)); }
    bool startsWith(std::string_view s) const { return text_.substr(at_, s.size()) == s; }
    void expect(std::string_view s) {
        if (!startsWith(s)) fail("expected \"" + std::string(s) + "\"");
        at_ += s.size();
    }
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    void skipSpace() {
        while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
    }
    static bool isNameChar(char c, bool first) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u) || c == '_' || c == ':' || u >= 0x80) return true;
        return !first && (std::isdigit(u) || c == '-' || c == '.');
    }
    std::string name() {
        const std::size_t start = at_;
        if (at_ >= text_.size() || !isNameChar(text_[at_], true)) fail("expected a name");
        while (at_ < text_.size() && isNameChar(text_[at_], false)) ++at_;
        return std::string(text_.substr(start, at_ - start));
    }
    // The XML declaration (only first), comments and white space.
    void skipMisc(bool prolog) {
        while (true) {
            skipSpace();
            if (prolog && at_ == 0 && startsWith("<?xml")) {
                const auto end = text_.find("?>", at_);
                if (end == std::string_view::npos) fail("unclosed declaration");
                at_ = end + 2;
            } else if (startsWith("<!--")) {
                comment();
            } else {
                return;
            }
        }
    }
    void comment() {
        const auto end = text_.find("-->", at_ + 4);
        if (end == std::string_view::npos) fail("unclosed comment");
        at_ = end + 3;
    }
    std::string reference() {
        expect("&");
        const auto end = text_.find(';', at_);
        if (end == std::string_view::npos || end - at_ > 10) fail("unterminated entity reference");
        const std::string_view entity = text_.substr(at_, end - at_);
        at_ = end + 1;
        if (entity == "amp") return "&";
        if (entity == "lt") return "<";
        if (entity == "gt") return ">";
        if (entity == "quot") return "\"";
        if (entity == "apos") return "'";
        if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            const std::string digits(entity.substr(hex ? 2 : 1));
            char* stop = nullptr;
            const unsigned long code = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (digits.empty() || *stop || code == 0 || code > 0x10FFFF) fail("bad character reference");
            std::string out;
            if (code < 0x80) {
                out += static_cast<char>(code);
            } else if (code < 0x800) {
                out += static_cast<char>(0xC0 | (code >> 6));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else if (code < 0x10000) {
                out += static_cast<char>(0xE0 | (code >> 12));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (code >> 18));
                out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            }
            return out;
        }
        fail("unknown entity &" + std::string(entity) + ";");
    }
    static void checkCharacter(char c, Parser& parser) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && !isSpace(c)) parser.fail("a control character");
    }
    XmlElement element() {
        expect("<");
        XmlElement element;
        element.name = name();
        while (true) {
            const bool spaced = at_ < text_.size() && isSpace(text_[at_]);
            skipSpace();
            if (startsWith("/>")) {
                at_ += 2;
                return element;
            }
            if (startsWith(">")) {
                ++at_;
                break;
            }
            if (!spaced) fail("attributes need white space between them");
            std::string key = name();
            skipSpace();
            expect("=");
            skipSpace();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) fail("an unquoted attribute value");
            const char quote = text_[at_++];
            std::string value;
            while (true) {
                if (at_ >= text_.size()) fail("an unclosed attribute value");
                const char c = text_[at_];
                if (c == quote) {
                    ++at_;
                    break;
                }
                if (c == '<') fail("a raw < in an attribute value");
                if (c == '&') {
                    value += reference();
                    continue;
                }
                checkCharacter(c, *this);
                value += c;
                ++at_;
            }
            if (!element.attributes.emplace(key, value).second) fail("the attribute " + key + " twice");
        }
        // Content up to the matching end tag.
        while (true) {
            if (at_ >= text_.size()) fail("the element " + element.name + " is not closed");
            if (startsWith("</")) {
                at_ += 2;
                if (name() != element.name) fail("an end tag that does not match " + element.name);
                skipSpace();
                expect(">");
                return element;
            }
            if (startsWith("<!--")) {
                comment();
            } else if (startsWith("<")) {
                element.children.push_back(this->element());
            } else if (startsWith("&")) {
                element.text += reference();
            } else {
                checkCharacter(text_[at_], *this);
                if (startsWith("]]>")) fail("]]> in text");
                element.text += text_[at_++];
            }
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
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
    try {
        return Parser(document).document();
    } catch (const XmlError& error) {
        if (problem) *problem = error.what();
        return std::nullopt;
    }
}

}  // namespace tarnwick::testkit
