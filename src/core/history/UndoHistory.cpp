#include "history/UndoHistory.h"

#include <algorithm>

namespace tinctara::history {

namespace {

bool isNew(std::uint16_t documentFlags, DocumentKind kind) { return (documentFlags & newFlag(kind)) != 0; }

}  // namespace

UndoHistory::UndoHistory(ShowModel& model, std::size_t byteLimit) : model_(model), byteLimit_(byteLimit)
{
    for (const DocumentKind kind : AllDocumentKinds)
        adopt(kind);
}

void UndoHistory::adopt(DocumentKind kind)
{
    version(kind) = nextVersion_++;
    const bool changed = model_.hasDocument(changedFlag(kind));
    saved_[static_cast<std::size_t>(kind)] = changed ? std::nullopt : std::optional(version(kind));
}

void UndoHistory::begin(std::string caption, DocumentKinds kinds)
{
    pending_ = Pending{std::move(caption), {}, model_.DocumentFlags};
    for (const DocumentKind kind : AllDocumentKinds)
        if (kinds.contains(kind))
            pending_->before.push_back(take(model_, kind));
}

void UndoHistory::cancel() { pending_.reset(); }

bool UndoHistory::commit(FlagEffect effect)
{
    if (!pending_)
        return false;
    Pending pending = std::move(*pending_);
    pending_.reset();
    const bool marks = effect == FlagEffect::MarksChanged;

    if (gesture_ != 0 && !done_.empty() && done_.back().gesture == gesture_) {
        Entry& entry = done_.back();
        bytes_ -= entry.bytes;
        mergeInto(entry, pending, marks);
        if (entry.changes.empty()) {
            // The gesture brought everything back to where it started.
            done_.pop_back();
            return true;
        }
        entry.bytes = bytesOf(entry);
        bytes_ += entry.bytes;
        enforceBounds();
        return true;
    }

    Entry entry{std::move(pending.caption), {}, marks, gesture_, 0, ++moment_};
    for (DocumentSnapshot& before : pending.before) {
        const DocumentKind kind = before.kind();
        DocumentSnapshot after = take(model_, kind);
        // A new wall marks a scene new whose colours may have stayed as they were.
        if (after == before && isNew(pending.documentFlags, kind) == isNew(model_.DocumentFlags, kind))
            continue;
        const std::uint64_t beforeVersion = version(kind);
        if (!(after == before))
            version(kind) = nextVersion_++;
        entry.changes.push_back({kind, std::move(before), std::move(after), beforeVersion, version(kind),
                                 isNew(pending.documentFlags, kind), isNew(model_.DocumentFlags, kind)});
    }
    if (entry.changes.empty())
        return false;
    for (const Entry& dropped : undone_)
        bytes_ -= dropped.bytes;
    undone_.clear();
    entry.bytes = bytesOf(entry);
    bytes_ += entry.bytes;
    done_.push_back(std::move(entry));
    enforceBounds();
    return true;
}

void UndoHistory::mergeInto(Entry& entry, Pending& pending, bool marks)
{
    entry.caption = std::move(pending.caption);
    entry.marks = entry.marks || marks;
    for (DocumentSnapshot& before : pending.before) {
        const DocumentKind kind = before.kind();
        DocumentSnapshot after = take(model_, kind);
        auto change = std::find_if(entry.changes.begin(), entry.changes.end(),
                                   [kind](const Change& c) { return c.kind >= kind; });
        if (change != entry.changes.end() && change->kind == kind) {
            if (after == change->after)
                continue;
            if (after == change->before) {
                version(kind) = change->beforeVersion;
                entry.changes.erase(change);
                continue;
            }
            change->after = std::move(after);
            version(kind) = nextVersion_++;
            change->afterVersion = version(kind);
            change->newAfter = isNew(model_.DocumentFlags, kind);
        } else if (!(after == before)) {
            const std::uint64_t beforeVersion = version(kind);
            version(kind) = nextVersion_++;
            entry.changes.insert(change, {kind, std::move(before), std::move(after), beforeVersion, version(kind),
                                          isNew(pending.documentFlags, kind), isNew(model_.DocumentFlags, kind)});
        }
    }
}

void UndoHistory::enforceBounds()
{
    while (!done_.empty() && (done_.size() > MaxEntries || bytes_ > byteLimit_)) {
        bytes_ -= done_.front().bytes;
        done_.pop_front();
    }
}

std::size_t UndoHistory::bytesOf(const Entry& entry)
{
    std::size_t total = 0;
    for (const Change& change : entry.changes)
        total += change.before.bytes() + change.after.bytes();
    return total;
}

void UndoHistory::beginGesture(const std::string& key)
{
    if (gesture_ != 0 && key == gestureKey_)
        return;
    gestureKey_ = key;
    gesture_ = nextGesture_++;
}

void UndoHistory::endGesture()
{
    gesture_ = 0;
    gestureKey_.clear();
}

// What comes between two calls of a gesture ends its entry; the gesture goes
// on with a new one.
void UndoHistory::stopMerging()
{
    if (gesture_ != 0)
        gesture_ = nextGesture_++;
}

std::string UndoHistory::undoCaption() const { return canUndo() ? "Rückgängig: " + done_.back().caption : ""; }

std::string UndoHistory::redoCaption() const { return canRedo() ? "Wiederholen: " + undone_.back().caption : ""; }

void UndoHistory::step(Entry& entry, bool forward)
{
    for (const Change& change : entry.changes) {
        restore(model_, forward ? change.after : change.before);
        version(change.kind) = forward ? change.afterVersion : change.beforeVersion;
        if (change.newBefore != change.newAfter && savedAt_[static_cast<std::size_t>(change.kind)] < entry.recordedAt) {
            if (forward ? change.newAfter : change.newBefore)
                model_.setDocument(newFlag(change.kind));
            else
                model_.clearDocument(newFlag(change.kind));
        }
        if (!entry.marks)
            continue;
        if (saved_[static_cast<std::size_t>(change.kind)] == version(change.kind))
            model_.clearDocument(changedFlag(change.kind));
        else
            model_.setDocument(changedFlag(change.kind));
    }
}

DocumentKinds UndoHistory::kindsOf(const Entry& entry)
{
    DocumentKinds kinds;
    for (const Change& change : entry.changes)
        kinds.add(change.kind);
    return kinds;
}

bool UndoHistory::changesWall(const Entry& entry)
{
    return std::any_of(entry.changes.begin(), entry.changes.end(), [](const Change& change) {
        return change.kind == DocumentKind::Config && !sameWall(change.before, change.after);
    });
}

bool UndoHistory::undo()
{
    if (!canUndo())
        return false;
    stopMerging();
    Entry entry = std::move(done_.back());
    done_.pop_back();
    step(entry, false);
    undone_.push_back(std::move(entry));
    return true;
}

bool UndoHistory::redo()
{
    if (!canRedo())
        return false;
    stopMerging();
    Entry entry = std::move(undone_.back());
    undone_.pop_back();
    step(entry, true);
    done_.push_back(std::move(entry));
    return true;
}

void UndoHistory::documentSaved(DocumentKind kind)
{
    saved_[static_cast<std::size_t>(kind)] = version(kind);
    savedAt_[static_cast<std::size_t>(kind)] = ++moment_;
    stopMerging();
}

void UndoHistory::documentLoaded(DocumentKind kind)
{
    pending_.reset();
    auto touches = [kind](const Entry& entry) {
        return std::any_of(entry.changes.begin(), entry.changes.end(),
                           [kind](const Change& change) { return change.kind == kind; });
    };
    auto drop = [&](auto& entries) {
        for (const Entry& entry : entries)
            if (touches(entry))
                bytes_ -= entry.bytes;
        entries.erase(std::remove_if(entries.begin(), entries.end(), touches), entries.end());
    };
    drop(done_);
    drop(undone_);
    adopt(kind);
    stopMerging();
}

}  // namespace tinctara::history
