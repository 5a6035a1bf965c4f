#pragma once

#include "history/UndoHistory.h"

#include <functional>
#include <string>

namespace tinctara {

// What an undo or redo put back: the documents, and whether the wall itself
// (its size, elements, places or name) is another now and must be laid out
// anew. A patch or a correction put back leaves the wall's cells alone.
struct RestoredDocuments {
    history::DocumentKinds kinds;
    bool wallChanged = false;
    std::string caption;  // "Rückgängig: CLR ALL", as the menu named the step
};

// The program's one undo history, as the windows and the menu reach it.
// Whoever edits a document records it with a RecordedEdit; the menu asks
// for the captions and calls undo and redo; whoever paints the show hears
// which documents an undo or redo put back.
class ShowEdits {
public:
    using Restored = std::function<void(const RestoredDocuments&)>;

    explicit ShowEdits(ShowModel& model) : history_(model) {}

    history::UndoHistory& history() { return history_; }
    const history::UndoHistory& history() const { return history_; }

    // Called after an undo or redo with the documents put back, for the
    // windows to show them.
    void onRestored(Restored restored) { restored_ = std::move(restored); }
    // Called whenever what the menu shows may have changed.
    void onChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    bool undo()
    {
        return step({history_.undoKinds(), history_.undoChangesWall(), history_.undoCaption()},
                    [this] { return history_.undo(); });
    }
    bool redo()
    {
        return step({history_.redoKinds(), history_.redoChangesWall(), history_.redoCaption()},
                    [this] { return history_.redo(); });
    }

    void begin(std::string caption, history::DocumentKinds kinds) { history_.begin(std::move(caption), kinds); }
    void commit(history::FlagEffect effect)
    {
        if (history_.commit(effect))
            changed();
    }
    void cancel() { history_.cancel(); }
    void documentSaved(history::DocumentKind kind)
    {
        history_.documentSaved(kind);
        changed();
    }
    void documentLoaded(history::DocumentKind kind)
    {
        history_.documentLoaded(kind);
        changed();
    }

private:
    template <typename Step>
    bool step(const RestoredDocuments& restored, Step&& undoOrRedo)
    {
        if (!undoOrRedo())
            return false;
        if (restored_)
            restored_(restored);
        changed();
        return true;
    }
    void changed()
    {
        if (changed_)
            changed_();
    }

    history::UndoHistory history_;
    Restored restored_;
    std::function<void()> changed_;
};

// One edit of the show, recorded from its construction to its end: the
// documents as they were then and as they are now become one entry. With no
// ShowEdits (tests, the CLI) it records nothing.
//
//   RecordedEdit edit(edits_, "Farbe auf 6 Elemente", {history::DocumentKind::Scene});
//   ... the edit ...
class RecordedEdit {
public:
    RecordedEdit(ShowEdits* edits, std::string caption, history::DocumentKinds kinds,
                 history::FlagEffect effect = history::FlagEffect::MarksChanged)
        : edits_(edits), effect_(effect)
    {
        if (edits_)
            edits_->begin(std::move(caption), kinds);
    }
    ~RecordedEdit()
    {
        if (edits_)
            edits_->commit(effect_);
    }
    RecordedEdit(const RecordedEdit&) = delete;
    RecordedEdit& operator=(const RecordedEdit&) = delete;

    // The edit was refused or asked nothing of the show: no entry.
    void cancel()
    {
        if (edits_)
            edits_->cancel();
        edits_ = nullptr;
    }

private:
    ShowEdits* edits_;
    history::FlagEffect effect_;
};

}  // namespace tinctara
