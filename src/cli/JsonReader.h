#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

// A small JSON reader for the documents the command-line tool takes as input. Numbers are held as
// double; objects keep their keys sorted. Throws CliError with the position on malformed text.
class JsonValue {
public:
    enum class Type { null, boolean, number, string, array, object };

    static JsonValue parse(const std::string& text);

    Type type() const { return type_; }
    bool isObject() const { return type_ == Type::object; }
    bool isArray() const { return type_ == Type::array; }
    double number() const { return number_; }
    const std::string& string() const { return string_; }
    bool boolean() const { return boolean_; }
    const std::vector<JsonValue>& items() const { return items_; }
    // The member `key` of an object, or nullptr when absent (or when this is no object).
    const JsonValue* find(const std::string& key) const;

private:
    friend class JsonParser;
    Type type_ = Type::null;
    double number_ = 0;
    bool boolean_ = false;
    std::string string_;
    std::vector<JsonValue> items_;
    std::map<std::string, JsonValue> members_;
};
