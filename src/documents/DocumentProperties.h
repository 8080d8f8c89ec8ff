#pragma once

#include <cstdint>
#include <string>

// The fixed-size property blocks of the three document kinds. Each struct is stored byte for byte as
// a property record, so its layout is exact: little-endian integers, NUL-terminated text fields.

struct SummaryInfo {
    int32_t category = 0; // 0 none of the predefined categories, else 1..6
    char categoryText[32] = {};
    char text1[32] = {};
    char text2[32] = {};
    char text3[64] = {};
    char text4[128] = {};
    char text5[256] = {};
};
static_assert(sizeof(SummaryInfo) == 548);

// Record 0 of the project properties: file names (no folder) of the packs last imported.
struct ProjectPackNames {
    char headDefinition[256] = {};
    char headAnimation[256] = {};
};
static_assert(sizeof(ProjectPackNames) == 512);

struct ProjectProperties {
    ProjectPackNames packNames;
    SummaryInfo summary;
};
static_assert(sizeof(ProjectProperties) == 1060);

// Record 0x10000: file names (no folder) of the face texture and mask the user last picked.
struct HeadPictureNames {
    char faceTexture[256] = {};
    char mask[256] = {};
};
static_assert(sizeof(HeadPictureNames) == 512);

struct HeadDefinitionProperties {
    HeadPictureNames pictureNames;
    int32_t editPanelValue = 0; // carried for the edit panel, never interpreted here
    SummaryInfo summary;
};
static_assert(sizeof(HeadDefinitionProperties) == 1064);

// Record 0x100001: 1 for each kind of item the track model held when the pack was written.
struct ContentFlags {
    int32_t visemes = 0;
    int32_t backgroundEvents = 0;
    int32_t sounds = 0;
    int32_t expressions = 0;
    int32_t headTurns = 0;
    int32_t scriptEvents = 0;
    int32_t markerEvents = 0;
};
static_assert(sizeof(ContentFlags) == 28);

struct HeadAnimationProperties {
    char voiceName[256] = {};
    ContentFlags contentFlags;
    SummaryInfo summary;
};
static_assert(sizeof(HeadAnimationProperties) == 832);

// Copies `text` into a fixed field, cut to fit with a NUL in the last byte.
void copyToField(char* field, size_t fieldSize, const std::string& text);
template <size_t N> void copyToField(char (&field)[N], const std::string& text)
{
    copyToField(field, N, text);
}
// `text` as a field of `fieldSize` bytes would keep it: up to its first NUL, at most fieldSize - 1.
std::string fitToField(const std::string& text, size_t fieldSize);
// The text of a fixed field, stopping at its NUL or its end.
std::string fieldText(const char* field, size_t fieldSize);
template <size_t N> std::string fieldText(const char (&field)[N])
{
    return fieldText(field, N);
}
