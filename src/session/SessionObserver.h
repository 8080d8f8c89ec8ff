#pragma once

// What a session change touched, as bits, so that a window repaints only what it shows.
enum SessionChange : unsigned {
    kDocumentReplaced = 1u << 0, // reset, new or open: every view starts over
    kTimelineChanged = 1u << 1,  // voice or tracks
    kTexturesChanged = 1u << 2,  // face texture or mask handed to the head model
    kModifiedChanged = 1u << 3,
    kTitleChanged = 1u << 4, // shown name, untitled or has-file
    kListsChanged = 1u << 5, // background pictures or sound clips
    kHeadChanged = 1u << 6,  // the head model's mesh was refilled
};

// Told by the session after each flow what it changed. Called on the thread that ran the flow (the
// user-interface thread in the studio); an observer must not run another flow from inside.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;
    virtual void sessionChanged(unsigned changes) = 0;
};
