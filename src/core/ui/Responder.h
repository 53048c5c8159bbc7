#pragma once

#include "core/ui/Pinch.h"
#include "core/ui/Touch.h"

namespace kestrel {

// Something that can take touches. A touch goes first to the view it began
// in; whatever does not handle it passes it on to its next responder (a
// view's superview, or the controller whose screen it is), as the phone
// toolkit does. Main thread.
class Responder {
public:
    virtual ~Responder() = default;

    virtual Responder* nextResponder() const { return nullptr; }

    // By default each passes the touch on to the next responder.
    virtual void touchesBegan(const Touch& touch);
    virtual void touchesMoved(const Touch& touch);
    virtual void touchesEnded(const Touch& touch);
    virtual void touchesCancelled(const Touch& touch);
    // Two fingers, passed on the same way; the gesture ends when one lifts,
    // or is cancelled by the system (nothing should follow from it then).
    virtual void pinchBegan(const Pinch& pinch);
    virtual void pinchChanged(const Pinch& pinch);
    virtual void pinchEnded(const Pinch& pinch);
    virtual void pinchCancelled(const Pinch& pinch);
};

}  // namespace kestrel
