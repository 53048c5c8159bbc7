#include "gui/WindowProgram.h"

// kestrel: the camera in a window.
int main(int argc, char** argv) { return kestrel::gui::WindowProgram::run(argc, argv); }
