#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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
    // bytes are written and flushed beside it first, then moved in place
    // without replacing anything (a no-replace rename, or a hard link where
    // the file system has no such rename). Answers NO with `exists` set when
    // the name was taken (the existing file is untouched).
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

    // Gives `from` the name `to` unless an entry is already there (then NO
    // with errno EEXIST, both untouched). Where the file system cannot rename
    // without replacing (NFS, some FUSE file systems) the file is hard-linked
    // under the new name, which never replaces either, and the old name is
    // removed.
    static bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

    // Temporaries of writes that never finished (a crash, a kill, a card
    // pulled out) are found by their names: "." + target name + ".tmp-" and
    // six characters.
    static constexpr std::chrono::seconds kAbandonedAge{3600};
    static bool isTemporaryName(std::string_view name);
    // Removes `file`, a temporary, if it was last changed more than `age`
    // ago; a younger one may be another process's write in progress.
    // Answers whether it was removed.
    static bool removeIfAbandoned(const std::filesystem::path& file, std::chrono::seconds age = kAbandonedAge);
    // The same for every temporary in `folder`; answers how many went.
    static int removeAbandoned(const std::filesystem::path& folder, std::chrono::seconds age = kAbandonedAge);

    // Fault injection for tests: called before each step that touches the
    // disk; answering YES makes that step fail as an I/O error would. Any
    // thread; none by default. kRename is write()'s rename over the target,
    // kRenameNoReplace the rename of create() and keepAside(), kLink the
    // hard link that stands in for it where the file system has none.
    enum class Step { kCreate, kWrite, kFlush, kRename, kRenameNoReplace, kLink, kFlushFolder };
    using FaultInjector = std::function<bool(Step step)>;
    static void setFaultInjector(FaultInjector injector);
    // The same with the cause: the injector answers the errno the step
    // fails with (EINVAL for a rename the file system does not support,
    // ENOSPC, ...), or 0 to let it run.
    using ErrorInjector = std::function<int(Step step)>;
    static void setErrorInjector(ErrorInjector injector);
    // Whether the injector fails this step (sets errno when it does).
    static bool injectedFault(Step step);

    // The prefix of the temporary names write() uses for `target`.
    static std::string temporaryPrefix(const std::filesystem::path& target);
};

}  // namespace kestrel
