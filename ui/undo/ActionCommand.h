#pragma once
// One undo step that changes the scene's make-up (adding or deleting an
// object, loading a template): undone by putting back the scene as it was,
// redone by doing the action again. Never merges with another step.
#include <QUndoCommand>
#include <functional>
#include <utility>

namespace boxora {

class ActionCommand : public QUndoCommand {
public:
    // The action has been done already: the first redo does nothing.
    ActionCommand(std::function<void()> undo, std::function<void()> redo)
        : undo_(std::move(undo)), redo_(std::move(redo)) {}

    void undo() override { undo_(); }
    void redo() override {
        if (applied_) redo_();
        applied_ = true;
    }

private:
    std::function<void()> undo_;
    std::function<void()> redo_;
    bool applied_ = false;
};

}  // namespace boxora
