// The string table of the resource library. Format strings use printf conversions; the arguments
// each message takes are listed beside it.
#include <cstddef>

namespace {

struct StringEntry {
    unsigned id;
    const char* text;
};

const StringEntry kStrings[] = {
    // Expression names, rows 0 to 6.
    {59538, "<Neutral>"},
    {59539, "Joy"},
    {59540, "Sadness"},
    {59541, "Anger"},
    {59542, "Fear"},
    {59543, "Disgust"},
    {59544, "Surprise"},
};

} // namespace

extern "C" __attribute__((visibility("default"))) const char* cmrtLoadString(unsigned id)
{
    for (const StringEntry& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return nullptr;
}

extern "C" __attribute__((visibility("default"))) unsigned cmrtStringCount()
{
    return static_cast<unsigned>(sizeof kStrings / sizeof kStrings[0]);
}

extern "C" __attribute__((visibility("default"))) unsigned cmrtStringIdAt(unsigned index)
{
    return index < cmrtStringCount() ? kStrings[index].id : 0u;
}
