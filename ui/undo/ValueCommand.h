#pragma once
// One undo step that sets a value back and forth: a settings row, the
// scene-wide settings of a preview drag, a face image. Consecutive edits with
// the same key merge into one step while the step is open (a slider drag, a
// typed number, a wheel turn), and a step that ends where it began drops out
// of the history.
#include <QUndoCommand>
#include <functional>
#include <utility>

namespace boxora {

// What a step edits: a source (the row, the preview, ...) and an object
// position (-1 for the scene-wide settings).
struct EditKey {
    const void* source = nullptr;
    int object = -1;
    bool operator==(const EditKey&) const = default;
};

// Shared by every step so that QUndoStack offers each new step to the one
// on top; mergeWith decides.
inline constexpr int kMergeableCommandId = 0x4258;

class MergeableCommand : public QUndoCommand {
public:
    using QUndoCommand::QUndoCommand;
    int id() const override { return kMergeableCommandId; }
    // After this no later edit joins the step.
    void Close() { open_ = false; }

protected:
    bool open_ = true;
};

template <class T>
class ValueCommand : public MergeableCommand {
public:
    using Apply = std::function<void(const T&)>;

    // The change from before to after has been made already: the first
    // redo (which QUndoStack::push runs) does nothing.
    ValueCommand(EditKey key, T before, T after, Apply apply, bool keepOpen = true)
        : key_(key), before_(std::move(before)), after_(std::move(after)), apply_(std::move(apply)) {
        open_ = keepOpen;
    }

    void undo() override {
        open_ = false;
        apply_(before_);
    }
    void redo() override {
        if (applied_) apply_(after_);
        applied_ = true;
    }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = dynamic_cast<const ValueCommand<T>*>(other);
        if (!open_ || !next || !(next->key_ == key_)) return false;
        after_ = next->after_;
        open_ = next->open_;
        setObsolete(before_ == after_);
        return true;
    }

    const T& Before() const { return before_; }
    const T& After() const { return after_; }

private:
    EditKey key_;
    T before_;
    T after_;
    Apply apply_;
    bool applied_ = false;
};

}  // namespace boxora
