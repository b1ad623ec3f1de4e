#pragma once
// One change of a sounding window's state on its undo stack: the states before and after it,
// whole (a Session is a value of a few kilobytes), so that undo and redo put back exactly what
// was there, fits and hand edits included.
//
// Steps with the same merge key that follow one another become one step (the spin boxes of
// the fit settings and the rotation change in small steps; one undo takes back the run of
// them).

#include "session/Session.h"

#include <QUndoCommand>

#include <functional>

namespace mt1d::gui::field {

// What a step's merge key says.
enum class StepKind { kOnce = -1, kFitSettings = 1, kRotation = 2, kFloor = 3 };

class SessionStep : public QUndoCommand {
public:
    // `show` puts a state in place in the window; the first redo (when the step is pushed)
    // shows `after`.
    using Show = std::function<void(const session::Session& state, bool rescale)>;

    SessionStep(const QString& text, session::Session before, session::Session after, Show show, bool rescale,
                StepKind kind = StepKind::kOnce);

    void undo() override;
    void redo() override;
    int id() const override { return static_cast<int>(kind_); }
    bool mergeWith(const QUndoCommand* other) override;

    const session::Session& Before() const { return before_; }
    const session::Session& After() const { return after_; }

private:
    session::Session before_;
    session::Session after_;
    Show show_;
    bool rescale_;
    StepKind kind_;
};

}  // namespace mt1d::gui::field
