#pragma once

#include <cstdint>

// Fixed-size item records of the five tracks. Every record opens with the half-open span
// [start, end) and its length; a length of 0 marks a dead record awaiting removal.

struct VisemeItem {
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t length;
    char syllable[10];
    char symbol[10];
    std::int16_t phonemeCode;
    std::uint16_t viseme;
    std::uint32_t level;
    char phonemeLabel[16];
    char visemeShortName[16];
    std::int32_t weight;
};

struct ExpressionItem {
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t length;
    std::uint32_t expression;
    char name[16];
    std::int32_t intensity;
};

struct HeadTurnKey {
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t length;
    std::int32_t angle_a;
    std::int32_t angle_b;
    std::int32_t angle_c;
    char name[16];
};

enum EventKind : std::int32_t { kScriptEvent = 0, kImageEvent = 1, kMarkerEvent = 2 };

struct ScriptPayload {
    std::uint32_t choice;
    char type[16];
    char parameter[512];
};

struct EventItem {
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t length;
    std::int32_t kind;
    union {
        ScriptPayload script;
        char name[532];
    };
};

struct SoundItem {
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t length;
    std::uint32_t extra;
    char name[256];
    std::int32_t volume;
};

static_assert(sizeof(VisemeItem) == 76);
static_assert(sizeof(ExpressionItem) == 36);
static_assert(sizeof(HeadTurnKey) == 40);
static_assert(sizeof(ScriptPayload) == 532);
static_assert(sizeof(EventItem) == 548);
static_assert(sizeof(SoundItem) == 276);
