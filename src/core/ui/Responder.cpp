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

}  // namespace kestrel
