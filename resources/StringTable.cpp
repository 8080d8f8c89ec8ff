// The string table of the resource library. Format strings use printf conversions; the arguments
// each message takes are listed beside it.
#include <cstddef>

namespace {

struct StringEntry {
    unsigned id;
    const char* text;
};

const StringEntry kStrings[] = {
    {0xE81E, "The picture %s cannot be read. It is not a baseline JPEG file that this program can decode."},  // path
    {0xE81F, "The picture must be exactly %d x %d pixels."},  // width, height
    {0xE820, "%s is not a Chattermask project file."},  // path
    {0xE821, "This file was written in format version %d; this program reads versions up to %d."},  // version found, highest version read
    {0xE822, "The document could not be created or read. A part of it is missing, damaged, or could not be stored in a temporary file."},
    {0xE823, "%s is not a Chattermask head definition or head animation pack."},  // path
    {0xE824, "The document could not be saved. Check that the folder is writable and the disk is not full."},
    {0xE826, "The recording could not be stored in %s."},  // path
    {0xE827, "Use the new recording as the voice of this animation?"},
    {0xE828, "Importing a new voice keeps the timeline items, which may no longer fit the new voice. Continue?"},
    {0xE829, "The voice could not be converted. The file is not a sound file that can be read, or it is damaged."},
    {0xE82A, "This command is not available while an animation plays or an export runs."},
    {0xE82B, "The recording has not been saved to a file. Save it first?"},
    {0xE82C, "Replace the current item?"},
    {0xE82D, "The operation was cancelled."},
    {0xE82F, "The file is damaged or incomplete."},
    {0xE849, "Save changes to the current document?"},
    {0xE8A0, "The list already holds %d entries, the most it can hold."},  // capacity
    {0xE8A1, "The name %s is already used in the list."},  // name
    {0xE8A2, "This command needs a voice. Import or record one first."},
    {0xE8A3, "The lip-sync analysis failed. The voice could not be read, or the speech recogniser could not start."},
    {0xE8A4, "The text file %s cannot be read, or it is larger than 16 MB."},  // path
    {0xE8A5, "The head turns could not be stored: there is not enough memory."},
    {0xE864, "Show &Head View"},  // the edit panel toggle while the timeline shows
    {0xE865, "Show &Timeline"},   // and while the head view shows
    {0xE816, "<None>"},
    {0xE825, "The voice cannot be played: no sound output is available."},
    {0xE82E, "The export failed. The output file was not written."},
    {0xE854, "Visemes"},
    {0xE855, "Expressions"},
    {0xE856, "Backgrounds"},
    {0xE857, "Sound Clips"},
    {0xE858, "Teeth"},
    {0xE862, "Add Teeth"},
    {0xE863, "Name of the new teeth pair:"},
    {0xE866, "JPEG Pictures (*.jpg;*.jpeg)|*.jpg;*.jpeg|All Files (*.*)|*.*||"},
    {0xE867, "Wave Sounds (*.wav)|*.wav|All Files (*.*)|*.*||"},
    {0xE868, "Chattermask Streams (*.cmt)|*.cmt|All Files (*.*)|*.*||"},
    {0xE869, "Chattermask Animation Streams (*.cmf)|*.cmf|All Files (*.*)|*.*||"},
    {0xE86A, "Windows Media Video (*.wmv)|*.wmv|All Files (*.*)|*.*||"},
    {0xE86B, "Chattermask Projects (*.cmp)|*.cmp|All Files (*.*)|*.*||"},
    {0xE86C, "Head Definitions (*.hdp)|*.hdp|All Files (*.*)|*.*||"},
    {0xE86D, "Head Animations (*.hap)|*.hap|All Files (*.*)|*.*||"},
    {0xE86E, "HTML Pages (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*||"},
    {0xE86F, "Export Picture"},
    {0xE870, "Save Recording"},
    {0xE871, "Write Stream File"},
    {0xE872, "Export Animation Stream"},
    {0xE873, "Export Windows Media Video"},
    {0xE874, "Save Head Definition"},
    {0xE875, "Save Head Animation"},
    {0xE876, "Save Project"},
    {0xE877, "Open Picture"},
    {0xE878, "Import Voice"},
    {0xE879, "Open Head Definition"},
    {0xE87A, "Open Head Animation"},
    {0xE87B, "Open Project"},
    {0xE87C, "Untitled"},
    {0xE88D, "Writing the animation..."},
    {0xE89D, "All rights reserved."},
    {0xE89E, "An export setting is not valid for the chosen profile."},
    {136, "Choose the quality of the video from the list of profiles."},
    {137, "Writing Stream File"},
    {129, "Exporting Animation"},
    {30001, "Title"},
    {30002, "Subject"},
    {30003, "Author"},
    {30004, "Keywords"},
    {30005, "Comments"},
    {30006, "Company"},
    {20000, "Head"},
    {20001, "Timeline"},
    {10000, "Chattermask Studio"},
    {10001, "Version 1.0"},
    {10002, "Talking-head animation studio"},
    {10003, "Copyright (C) Quillmere"},
    {10004, "Face animation follows MPEG-4 Facial Animation."},
    {10005, "Speech coding: ITU-T G.723.1."},
    {10006, "Pictures: the Independent JPEG Group's software."},
    {10007, "Sound and video: FFmpeg."},
    {10008, "Speech recognition: PocketSphinx."},
    {10009, "https://www.quillmere.example/chattermask"},
    {25024, "Quillmere"},
    {0xF000, "All Files (*.*)"},
    {0xF001, "Untitled"},
    {0xF100, "An unexpected file error occurred while accessing %s."},  // path
    {0xF101, "%s was not found."},  // path
    {0xF102, "%s contains an invalid path."},  // path
    {0xF103, "%s could not be opened because there are too many open files."},  // path
    {0xF104, "Access to %s was denied."},  // path
    {0xF105, "An invalid file handle was associated with %s."},  // path
    {0xF106, "%s could not be removed because it is the current directory."},  // path
    {0xF107, "%s could not be created because the directory is full."},  // path
    {0xF108, "Seek failed on %s."},  // path
    {0xF109, "A hardware input/output error was reported while accessing %s."},  // path
    {0xF10A, "A sharing violation occurred while accessing %s."},  // path
    {0xF10B, "A locking violation occurred while accessing %s."},  // path
    {0xF10C, "The disk is full while accessing %s."},  // path
    {0xF10D, "An attempt was made to access %s past its end."},  // path
    {59538, "<Neutral>"},
    {59539, "Joy"},
    {59540, "Sadness"},
    {59541, "Anger"},
    {59542, "Fear"},
    {59543, "Disgust"},
    {59544, "Surprise"},
};

} // namespace

const char* cmrtShellString(unsigned id);
unsigned cmrtShellStringCount();
unsigned cmrtShellStringIdAt(unsigned index);

namespace {

constexpr unsigned kOwnCount = static_cast<unsigned>(sizeof kStrings / sizeof kStrings[0]);

} // namespace

extern "C" __attribute__((visibility("default"))) const char* cmrtLoadString(unsigned id)
{
    for (const StringEntry& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return cmrtShellString(id);
}

// Both tables, this one first: a number in both would never reach the studio's own text.
extern "C" __attribute__((visibility("default"))) unsigned cmrtStringCount()
{
    return kOwnCount + cmrtShellStringCount();
}

extern "C" __attribute__((visibility("default"))) unsigned cmrtStringIdAt(unsigned index)
{
    return index < kOwnCount ? kStrings[index].id : cmrtShellStringIdAt(index - kOwnCount);
}
