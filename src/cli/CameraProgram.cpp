#include "cli/CameraProgram.h"

#include "cli/CliError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace kestrel::cli {

namespace fs = std::filesystem;

std::optional<std::string> CameraProgram::find() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    for (const fs::path& candidate : {self.parent_path() / kName, self.parent_path().parent_path() / "libexec" / kName})
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    return std::nullopt;
}

int CameraProgram::exec(int argc, const char* const* argv, std::ostream& err) {
    const auto program = find();
    if (!program) {
        err << "kestrel-cli: the camera commands are not installed: no " << kName
            << " beside kestrel-cli or in ../libexec\n";
        return CliError::kFailure;
    }
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(const_cast<char*>(argv[i]));
    arguments.push_back(nullptr);
    err.flush();
    ::execv(program->c_str(), arguments.data());
    err << "kestrel-cli: cannot run " << *program << ": " << std::strerror(errno) << '\n';
    return CliError::kFailure;
}

}  // namespace kestrel::cli
