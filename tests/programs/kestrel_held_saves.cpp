// kestrel with a slow disk: `kestrel-held-saves SECONDS ARGS...` runs the
// window as `kestrel ARGS...` does, each photo save held SECONDS first.
#include "gui/WindowProgram.h"
#include "programs/HeldSaves.h"

#include <vector>

int main(int argc, char** argv) {
    const auto hold = kestrel::test::holdArgument(argc, argv);
    // The window's arguments: the program's name, then all after the hold.
    std::vector<char*> arguments{argv[0]};
    for (int i = 2; i < argc; ++i) arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    return kestrel::gui::WindowProgram::run(static_cast<int>(arguments.size() - 1), arguments.data(),
                                            {kestrel::test::heldSaves(hold)});
}
