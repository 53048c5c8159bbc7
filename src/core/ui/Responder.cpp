#include "core/ui/Responder.h"

namespace kestrel {

void Responder::touchesBegan(const Touch& touch) {
    if (Responder* next = nextResponder()) next->touchesBegan(touch);
}

void Responder::touchesMoved(const Touch& touch) {
    if (Responder* next = nextResponder()) next->touchesMoved(touch);
}

void Responder::touchesEnded(const Touch& touch) {
    if (Responder* next = nextResponder()) next->touchesEnded(touch);
}

void Responder::touchesCancelled(const Touch& touch) {
    if (Responder* next = nextResponder()) next->touchesCancelled(touch);
}

void Responder::pinchBegan(const Pinch& pinch) {
    if (Responder* next = nextResponder()) next->pinchBegan(pinch);
}

void Responder::pinchChanged(const Pinch& pinch) {
    if (Responder* next = nextResponder()) next->pinchChanged(pinch);
}

void Responder::pinchEnded(const Pinch& pinch) {
    if (Responder* next = nextResponder()) next->pinchEnded(pinch);
}

void Responder::pinchCancelled(const Pinch& pinch) {
    if (Responder* next = nextResponder()) next->pinchCancelled(pinch);
}

}  // namespace kestrel
