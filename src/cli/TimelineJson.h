#pragma once

#include "documents/ItemFiles.h"
#include "cli/JsonReader.h"
#include "cli/JsonWriter.h"
#include "documents/TimelineItemFiles.h"

// The five tracks as JSON, the form `timeline dump` prints and `hap create --timeline` reads. Times
// are timeline units (samples).
void writeTimelineJson(JsonWriter& writer, const TimelineData& timeline);
// Reads tracks from JSON as the item files hold them, each track sorted by start; throws CliError on a
// value of the wrong type or out of range. The viseme's phoneme, label, syllable and symbol are not
// read: no document stores them.
ItemTracks readTracksJson(const JsonValue& root);
// Replaces the five tracks of `timeline` with those of the JSON document.
void readTimelineJson(const JsonValue& root, TimelineData& timeline, const ItemNameTables& names);
