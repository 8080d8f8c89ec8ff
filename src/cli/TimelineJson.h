#pragma once

#include "ItemFiles.h"
#include "JsonReader.h"
#include "JsonWriter.h"

// The five tracks as JSON, the form `timeline dump` prints and `hap create --timeline` reads. Times
// are timeline units (samples).
void writeTracksJson(JsonWriter& writer, const ItemTracks& tracks);
// Reads tracks from JSON; throws CliError on a value of the wrong type or out of range.
ItemTracks readTracksJson(const JsonValue& root);
