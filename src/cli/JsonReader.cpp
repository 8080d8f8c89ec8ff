#include "cli/JsonReader.h"

#include "cli/CliCommand.h"

#include <cstdlib>

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : text_(text) {}

    JsonValue parseDocument()
    {
        JsonValue value = parseValue(0);
        skipSpace();
        if (at_ != text_.size())
            fail("unexpected text after the value");
        return value;
    }

private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void fail(const std::string& what) const
    {
        throw CliError("JSON: " + what + " at offset " + std::to_string(at_));
    }

    void skipSpace()
    {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool consume(char c)
    {
        skipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void expect(char c)
    {
        if (!consume(c))
            fail(std::string("expected '") + c + "'");
    }

    bool consumeWord(const char* word)
    {
        std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0)
            return false;
        at_ += w.size();
        return true;
    }

    JsonValue parseValue(int depth)
    {
        if (depth > kMaxDepth)
            fail("nesting too deep");
        skipSpace();
        if (at_ >= text_.size())
            fail("unexpected end");
        JsonValue value;
        char c = text_[at_];
        if (c == '{')
            parseObject(value, depth);
        else if (c == '[')
            parseArray(value, depth);
        else if (c == '"') {
            value.type_ = JsonValue::Type::string;
            value.string_ = parseString();
        } else if (consumeWord("true") || consumeWord("false")) {
            value.type_ = JsonValue::Type::boolean;
            value.boolean_ = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
        } else if (consumeWord("null")) {
            value.type_ = JsonValue::Type::null;
        } else {
            value.type_ = JsonValue::Type::number;
            value.number_ = parseNumber();
        }
        return value;
    }

    void parseObject(JsonValue& value, int depth)
    {
        value.type_ = JsonValue::Type::object;
        expect('{');
        if (consume('}'))
            return;
        do {
            skipSpace();
            if (at_ >= text_.size() || text_[at_] != '"')
                fail("expected a key");
            std::string key = parseString();
            expect(':');
            value.members_[key] = parseValue(depth + 1);
        } while (consume(','));
        expect('}');
    }

    void parseArray(JsonValue& value, int depth)
    {
        value.type_ = JsonValue::Type::array;
        expect('[');
        if (consume(']'))
            return;
        do
            value.items_.push_back(parseValue(depth + 1));
        while (consume(','));
        expect(']');
    }

    double parseNumber()
    {
        const char* begin = text_.c_str() + at_;
        char* end = nullptr;
        double number = std::strtod(begin, &end);
        if (end == begin)
            fail("expected a value");
        at_ += static_cast<size_t>(end - begin);
        return number;
    }

    unsigned parseHex4()
    {
        if (at_ + 4 > text_.size())
            fail("short escape");
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
            char h = text_[at_++];
            code <<= 4;
            if (h >= '0' && h <= '9')
                code |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f')
                code |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                code |= static_cast<unsigned>(h - 'A' + 10);
            else
                fail("bad escape");
        }
        return code;
    }

    static void appendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string parseString()
    {
        ++at_; // the opening quote
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size())
                fail("unfinished escape");
            char e = text_[at_++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u':
                appendUtf8(out, parseHex4());
                break;
            default:
                out += e;
                break;
            }
        }
        if (at_ >= text_.size())
            fail("unfinished string");
        ++at_;
        return out;
    }

    const std::string& text_;
    size_t at_ = 0;
};

JsonValue JsonValue::parse(const std::string& text)
{
    return JsonParser(text).parseDocument();
}

const JsonValue* JsonValue::find(const std::string& key) const
{
    auto found = members_.find(key);
    return found == members_.end() ? nullptr : &found->second;
}
