#pragma once

#include "history/DocumentSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tinctara::history {

// Whether an edit set the *Changed marks of the documents it touched. An edit
// that set none (a typed hold or blend time) changes no mark when undone or
// redone either.
enum class FlagEffect { MarksChanged, LeavesMarks };

// Undo and redo of the show's documents: one list of entries across all four,
// each holding the before and after snapshots of the documents it touched.
//
//   history.begin("Farbe auf 6 Elemente", {DocumentKind::Scene});
//   ... the edit ...
//   history.commit();
//
// A fader dragged with immediate apply is one entry: the calls made between
// beginGesture(key) and endGesture() extend the entry the gesture made first,
// as long as nothing else (undo, redo, a save, a load) came between.
//
// Runs on the UI thread for user actions only; the output tick never calls it.
// Every edit of a document must pass through begin/commit, and every load or
// new document through documentLoaded, or undo jumps over it.
class UndoHistory {
public:
    static constexpr std::size_t MaxEntries = 100;
    static constexpr std::size_t DefaultByteLimit = std::size_t{64} << 20;

    // Takes the documents as they stand for saved unless their *Changed mark is set.
    explicit UndoHistory(ShowModel& model, std::size_t byteLimit = DefaultByteLimit);

    // An edit: begin takes the before snapshots of the kinds given; commit the
    // after snapshots and records the entry unless nothing changed (true when
    // it recorded or extended one); cancel forgets the edit. A begin while
    // another edit is open forgets that one.
    void begin(std::string caption, DocumentKinds kinds);
    bool commit(FlagEffect effect = FlagEffect::MarksChanged);
    void cancel();
    bool editOpen() const { return pending_.has_value(); }

    // A gesture with the same key as the open one goes on with it.
    void beginGesture(const std::string& key);
    void endGesture();

    bool canUndo() const { return !done_.empty() && !pending_; }
    bool canRedo() const { return !undone_.empty() && !pending_; }
    // "Rückgängig: <caption>" and "Wiederholen: <caption>"; empty when the
    // step is not possible (the menu then shows its plain, disabled entry).
    std::string undoCaption() const;
    std::string redoCaption() const;
    bool undo();
    bool redo();
    // The documents the next undo or redo restores (empty when it cannot).
    DocumentKinds undoKinds() const { return canUndo() ? kindsOf(done_.back()) : DocumentKinds{}; }
    DocumentKinds redoKinds() const { return canRedo() ? kindsOf(undone_.back()) : DocumentKinds{}; }
    // Whether the next undo or redo puts back another wall (size, elements,
    // places or name), whose cells must then be laid out anew.
    bool undoChangesWall() const { return canUndo() && changesWall(done_.back()); }
    bool redoChangesWall() const { return canRedo() && changesWall(undone_.back()); }

    // The document of this kind now stands as in its file.
    void documentSaved(DocumentKind kind);
    // A file of this kind was loaded or a new document made: every entry
    // touching the kind goes.
    void documentLoaded(DocumentKind kind);

    std::size_t undoCount() const { return done_.size(); }
    std::size_t redoCount() const { return undone_.size(); }
    std::size_t bytes() const { return bytes_; }

private:
    struct Change {
        DocumentKind kind;
        DocumentSnapshot before;
        DocumentSnapshot after;
        std::uint64_t beforeVersion;
        std::uint64_t afterVersion;
        bool newBefore;  // the kind's *New mark
        bool newAfter;
    };
    struct Entry {
        std::string caption;
        std::vector<Change> changes;  // in the order of DocumentKind
        bool marks = false;
        std::uint64_t gesture = 0;
        std::size_t bytes = 0;
        std::uint64_t recordedAt = 0;  // a moment
    };
    struct Pending {
        std::string caption;
        std::vector<DocumentSnapshot> before;
        std::uint16_t documentFlags = 0;
    };

    void adopt(DocumentKind kind);
    void step(Entry& entry, bool forward);
    void mergeInto(Entry& entry, Pending& pending, bool marks);
    void enforceBounds();
    void stopMerging();
    std::uint64_t& version(DocumentKind kind) { return versions_[static_cast<std::size_t>(kind)]; }
    static std::size_t bytesOf(const Entry& entry);
    static DocumentKinds kindsOf(const Entry& entry);
    static bool changesWall(const Entry& entry);

    ShowModel& model_;
    std::size_t byteLimit_;
    std::deque<Entry> done_;
    std::vector<Entry> undone_;  // the next to redo at the back
    std::optional<Pending> pending_;
    std::size_t bytes_ = 0;

    // Each state a document reaches through an edit gets a number of its own;
    // the saved one is the number its file was written or read at.
    std::array<std::uint64_t, DocumentKindCount> versions_{};
    std::array<std::optional<std::uint64_t>, DocumentKindCount> saved_{};
    std::uint64_t nextVersion_ = 1;
    // Commits and saves in the order they came: an entry that made a
    // document new gives the *New mark back only while no save of it came
    // after the entry (a saved document has a file, whatever is undone).
    std::uint64_t moment_ = 0;
    std::array<std::uint64_t, DocumentKindCount> savedAt_{};

    std::string gestureKey_;
    std::uint64_t gesture_ = 0;  // 0: no gesture open
    std::uint64_t nextGesture_ = 1;
};

}  // namespace tinctara::history
