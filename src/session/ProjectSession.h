#pragma once

#include "Common/CoreStatus.h"
#include "Common/Progress.h"
#include "documents/ItemFiles.h"
#include "documents/ProjectStore.h"
#include "documents/TimelineItemFiles.h"
#include "session/SessionObserver.h"
#include "session/SessionPrompts.h"
#include "timeline/TimelineData.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CHeadModel;
class SpeechFrameCoder;

// The editor a session serves, fixed for its life.
enum class EditorMode { project = 0, headDefinition = 1, headAnimation = 2 };

// Whether the session keeps a live head model. An editor has one, loaded from the generic head, into
// which every document's mesh is read and from which every save takes it. A session over document
// files alone (the command-line tool) has none: the document's own mesh is kept as stored, and the
// stream takes its head from it.
enum class SessionHead { generic, fromDocument };

// Which default content a new document starts from.
enum class DefaultHead { male, female };

// The files a head definition is assembled from outside the editor: a mesh record or a generic head
// text file, and the pictures, each taken as it is.
struct HeadDefinitionFiles {
    std::filesystem::path mesh;
    std::optional<std::filesystem::path> face, mask, teethTop, teethBottom;
};

// A take of the recorder, as the recording flow needs it.
struct RecordingTake {
    std::string savedPath; // the file the take was saved to; empty while it was not saved
    // Writes the take as a WAV file at the path; false when it cannot.
    std::function<bool(const std::filesystem::path&)> writeTo;
};

// One open document with everything that works on it: the store, the timeline and the one head model,
// the editor mode and the document flags, and every document flow of the editors. Each flow is one
// call that returns false and fills the status record when it fails; questions go through the prompts.
// Flows that change the model or the store refuse with 0xE82A while the head model is busy.
class ProjectSession {
public:
    // With the generic head, loads `contentRoot`/Models/MaleHead.cmm (no model when it cannot be read:
    // the document's mesh then stays as stored) and resets the document. New or open comes next.
    ProjectSession(EditorMode mode, SessionPrompts& prompts, const std::filesystem::path& contentRoot,
                   SessionHead head = SessionHead::generic);
    ~ProjectSession();
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;

    EditorMode mode() const { return mode_; }
    const std::filesystem::path& contentRoot() const { return contentRoot_; }
    ProjectStore& store() { return store_; }
    const ProjectStore& store() const { return store_; }
    TimelineData& timeline() { return timeline_; }
    const TimelineData& timeline() const { return timeline_; }
    // The live head model; null for a session without one.
    CHeadModel* headModel() { return model_.get(); }
    // Names items read from files: the viseme short names come from the lip-sync tables.
    const ItemNameTables& itemNames() const { return itemNames_; }

    bool isModified() const { return modified_; }
    bool hasFile() const { return hasFile_; }
    bool isUntitled() const { return untitled_; }
    // The document's file: the project path in mode 0, the pack path of the mode otherwise.
    std::string documentPath() const;
    // The name the title shows: the path, or "Untitled" + the mode's extension while untitled.
    std::string shownName() const;
    // Marks a change made outside the flows (an edit of the tracks, the summary dialog).
    void setModified(bool modified);
    // The head model's busy flag, read under its lock; false without a model.
    bool isBusy() const;

    void addObserver(SessionObserver* observer);
    void removeObserver(SessionObserver* observer);
    // Tells the observers of a change made outside the flows (a track edit in a window).
    void notify(unsigned changes);

    // The teeth pictures that the teeth panel shows; a save puts them into slots 5 and 6.
    void setTeethPictures(const std::string& top, const std::string& bottom);

    // The save-changes question: false when the user cancelled (nothing changed) or when Yes saved
    // and the save failed. Every modified flag is cleared when it goes on.
    bool promptSaveChanges(CoreStatus& status);
    // Empties the store and the timeline, clears modified; no question.
    void reset();
    bool newDocument(DefaultHead head, CoreStatus& status);
    // Opens a document of the mode (mode 1 pairs the pack with the male default head animation,
    // mode 2 the male default head definition with the pack). On failure the store is reset and the
    // flags stay as they were.
    bool openDocument(const std::filesystem::path& path, bool untitled, CoreStatus& status);
    bool applyHeadDefinition(CoreStatus& status);
    bool applyHeadAnimation(CoreStatus& status);
    // In mode 0 reads the pack into the project; in mode 1 (head definition) or 2 (head animation)
    // opens it as the document. No save-changes question: the caller asks it first.
    bool importPack(const std::filesystem::path& path, DocumentKind kind, CoreStatus& status);

    // A 256 x 256 JPEG as face texture (slot 2) or mask (slot 3); the slot keeps the picked path
    // as a user file even when the picture is refused.
    bool importFaceTexture(const std::filesystem::path& path, CoreStatus& status);
    bool importMask(const std::filesystem::path& path, CoreStatus& status);
    // Puts a head definition made of plain files into the store (a generic head text file becomes a
    // mesh record the store owns); every file must exist. The command-line tool packs heads this way.
    bool useHeadDefinitionFiles(const HeadDefinitionFiles& files, CoreStatus& status);
    // Converts the voice into the working format and starts the timeline on it; asks 0xE828 first
    // when any track holds items (No ends with a cancel).
    bool importVoice(const std::filesystem::path& path, CoreStatus& status,
                     const ProgressCallback& progress = {});
    // After the recorder closed: asks 0xE82B, 0xE827 and 0xE82C and uses the take as the voice.
    bool useRecording(RecordingTake& take, CoreStatus& status);
    // The file the user picked (or saved the recording to) for the voice the timeline holds now; empty
    // once another voice came in by any other way (an open, a pack), or for a recording never saved.
    std::filesystem::path voiceSource() const;

    // Save to the document's file; an untitled document asks for a path and runs saveAs.
    bool save(CoreStatus& status);
    bool saveAs(const std::filesystem::path& path, CoreStatus& status);
    // Writes a head definition or head animation pack of the document. The project editor writes
    // it as a copy and keeps the project as the open document; a pack editor saves as with it.
    bool savePackAs(const std::filesystem::path& path, DocumentKind kind, CoreStatus& status);
    // The `.cmt` stream of the document; 0xE82F when it cannot be written or was cancelled.
    bool saveStream(const std::filesystem::path& path, SpeechFrameCoder& coder, CoreStatus& status,
                    const ProgressCallback& progress = {});

    // Adds to the project's collections under the file's base name (asking for another while the name
    // is taken; no answer cancels with 0xE82D), or under `name` when one is given.
    bool addSoundClip(const std::filesystem::path& path, CoreStatus& status,
                      const std::optional<std::string>& name = std::nullopt,
                      const ProgressCallback& progress = {});
    bool addBackground(const std::filesystem::path& path, CoreStatus& status,
                       const std::optional<std::string>& name = std::nullopt);
    // The length in samples of sound clip `index` (0 when out of range).
    std::int32_t soundClipLength(int index) const;

    // Copies the store's face texture, mask or voice file to `destination`.
    bool exportAsset(AssetKind kind, const std::filesystem::path& destination, CoreStatus& status);

    // Brings the head animation's ContentFlags up to date with the timeline (the idle refresh).
    void refreshContentFlags();

private:
    bool refuseWhenBusy(CoreStatus& status) const;
    bool startTimelineOn(const std::filesystem::path& picked, std::filesystem::path working, bool owned,
                         CoreStatus& status);
    bool openInPlace(const std::filesystem::path& path, CoreStatus& status);
    bool readPackAndApply(const std::filesystem::path& path, DocumentKind kind, CoreStatus& status);
    bool writeDocument(const std::filesystem::path& path, DocumentKind kind, CoreStatus& status);
    DocumentKind modeKind() const;
    bool importPicture(const std::filesystem::path& path, AssetKind kind, CoreStatus& status);
    bool uniqueName(const AssetList& list, std::string& name, CoreStatus& status);
    void setFlags(bool modified, bool hasFile, bool untitled);
    void changed(unsigned changes);

    EditorMode mode_;
    SessionPrompts& prompts_;
    std::filesystem::path contentRoot_;
    ItemNameTables itemNames_;
    ProjectStore store_;
    TimelineData timeline_;
    std::unique_ptr<CHeadModel> model_;
    bool modified_ = false;
    bool hasFile_ = false;
    bool untitled_ = true;
    std::string teethTop_, teethBottom_;
    // The picked file and the timeline's working copy made from it: the pair holds only while the
    // timeline still plays that copy.
    std::filesystem::path voicePicked_, voiceWorking_;
    std::vector<SessionObserver*> observers_;
};
