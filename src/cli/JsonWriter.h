#pragma once

#include <ostream>
#include <string>
#include <vector>

// A small streaming JSON writer: commas and quoting are its business, the layout the caller's.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(const std::string& name);
    JsonWriter& value(const std::string& text);
    JsonWriter& value(const char* text) { return value(std::string(text)); }
    JsonWriter& value(long long number);
    JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(unsigned number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(long number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(unsigned long number);
    JsonWriter& value(double number);
    JsonWriter& value(float number) { return value(static_cast<double>(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    template <typename T> JsonWriter& array(const std::vector<T>& items)
    {
        beginArray();
        for (const T& item : items)
            value(item);
        return endArray();
    }
    template <typename T> JsonWriter& field(const std::string& name, const T& item)
    {
        key(name);
        return value(item);
    }

private:
    void separate();
    std::ostream& out_;
    std::vector<bool> first_;
    bool afterKey_ = false;
};
