#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <sys/types.h>

namespace kestrel {

// Replaces a file as a whole: the bytes go to a temporary file in the same
// folder, are flushed to disk, and the temporary is renamed over the target,
// after which the folder is flushed too. A crash or a full disk at any point
// leaves either the old file or the new one under the target's name, never a
// mix, a truncated file or nothing.
class AtomicFile {
public:
    // Answers NO on failure, with the cause in `error` when given; the target
    // is then untouched and no temporary file is left behind.
    static bool write(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                      mode_t mode = 0644, std::string* error = nullptr);

    // The same, with the content written by `fill` into the open temporary
    // file descriptor; `fill` answers NO (errno set) to abandon the write.
    static bool write(const std::filesystem::path& target, const std::function<bool(int fd)>& fill,
                      mode_t mode = 0644, std::string* error = nullptr);

    // Publishes a new file under `target` only if no entry has that name: the
    // bytes are written and flushed beside it first, then linked in place
    // without replacing anything. Answers NO with `exists` set when the name
    // was taken (the existing file is untouched).
    static bool create(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                       mode_t mode, bool& exists, std::string* error = nullptr);

    // Writes all of `bytes` to `fd`, retrying short writes.
    static bool writeAll(int fd, std::span<const std::uint8_t> bytes);

    // Flushes a folder's entries (after a rename or an unlink inside it).
    static bool syncDirectory(const std::filesystem::path& folder, std::string* error = nullptr);

    // Moves an unusable file out of the way without losing it: renames it to
    // "<name>.corrupt-<UTC time>" (with "-2", "-3", ... when taken; never
    // replacing anything) and flushes the folder. Answers the new path.
    static std::optional<std::filesystem::path> keepAside(const std::filesystem::path& file,
                                                          std::string* error = nullptr);

    // Fault injection for tests: called before each step that touches the
    // disk; answering YES makes that step fail as an I/O error would. Any
    // thread; none by default.
    enum class Step { kCreate, kWrite, kFlush, kRename, kFlushFolder };
    using FaultInjector = std::function<bool(Step step)>;
    static void setFaultInjector(FaultInjector injector);
    // Whether the injector fails this step (sets errno to EIO when it does).
    static bool injectedFault(Step step);

    // The prefix of the temporary names write() uses for `target`.
    static std::string temporaryPrefix(const std::filesystem::path& target);
};

}  // namespace kestrel
