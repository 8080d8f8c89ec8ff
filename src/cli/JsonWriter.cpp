#include "cli/JsonWriter.h"

#include <cmath>
#include <cstdio>

void JsonWriter::separate()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back())
            out_ << ',';
        first_.back() = false;
    }
}

JsonWriter& JsonWriter::beginObject()
{
    separate();
    out_ << '{';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject()
{
    first_.pop_back();
    out_ << '}';
    if (first_.empty())
        out_ << '\n';
    return *this;
}

JsonWriter& JsonWriter::beginArray()
{
    separate();
    out_ << '[';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray()
{
    first_.pop_back();
    out_ << ']';
    if (first_.empty())
        out_ << '\n';
    return *this;
}

JsonWriter& JsonWriter::key(const std::string& name)
{
    value(name);
    out_ << ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text)
{
    separate();
    out_ << '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"': out_ << "\\\""; break;
        case '\\': out_ << "\\\\"; break;
        case '\n': out_ << "\\n"; break;
        case '\r': out_ << "\\r"; break;
        case '\t': out_ << "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out_ << escaped;
            } else {
                out_ << static_cast<char>(c);
            }
        }
    }
    out_ << '"';
    return *this;
}

JsonWriter& JsonWriter::value(long long number)
{
    separate();
    out_ << number;
    return *this;
}

JsonWriter& JsonWriter::value(unsigned long number)
{
    separate();
    out_ << number;
    return *this;
}

JsonWriter& JsonWriter::value(double number)
{
    separate();
    if (!std::isfinite(number)) {
        out_ << "null";
        return *this;
    }
    // Shortest text that reads back to the same single-precision or double value.
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", number);
    out_ << text;
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    separate();
    out_ << (flag ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null()
{
    separate();
    out_ << "null";
    return *this;
}
