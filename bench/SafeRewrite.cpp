// The floor for rewriting a file safely, to time beside `cp` and Kestrel's EXIF
// stamp: copy it to a temporary file in the same folder, flush, rename over
// the target, flush the folder.
//   SafeRewrite IN OUT
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: SafeRewrite IN OUT\n");
        return 2;
    }
    const int in = ::open(argv[1], O_RDONLY);
    struct stat info {};
    if (in < 0 || ::fstat(in, &info) != 0) return 1;
    const std::string temporary = std::string(argv[2]) + ".tmp";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return 1;
    off_t offset = 0;
    for (auto left = static_cast<std::size_t>(info.st_size); left > 0;) {
        const ssize_t n = ::copy_file_range(in, &offset, out, nullptr, left, 0);
        if (n <= 0) return 1;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(out) != 0 || ::close(out) != 0 || ::rename(temporary.c_str(), argv[2]) != 0) return 1;
    const int folder = ::open(".", O_RDONLY | O_DIRECTORY);
    ::fsync(folder);
    ::close(folder);
    return 0;
}
