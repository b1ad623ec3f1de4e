#include "gui/field/SessionStep.h"

namespace mt1d::gui::field {

SessionStep::SessionStep(const QString& text, session::Session before, session::Session after, Show show,
                         bool rescale, StepKind kind)
    : QUndoCommand(text), before_(std::move(before)), after_(std::move(after)), show_(std::move(show)),
      rescale_(rescale), kind_(kind)
{
}

void SessionStep::undo() { show_(before_, rescale_); }

void SessionStep::redo() { show_(after_, rescale_); }

bool SessionStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const SessionStep*>(other);
    if (next == nullptr || next->kind_ != kind_ || kind_ == StepKind::kOnce) return false;
    after_ = next->after_;
    rescale_ = rescale_ || next->rescale_;
    return true;
}

}  // namespace mt1d::gui::field
