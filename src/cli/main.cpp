#include "cli/CliApp.h"

#include <iostream>

int main(int argc, char** argv) {
    return kestrel::cli::CliApp::run(argc, argv, std::cout, std::cerr);
}
