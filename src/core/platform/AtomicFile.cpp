#include "core/platform/AtomicFile.h"

#include "core/platform/Log.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstring>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestrel {
namespace {

bool fail(std::string* error, const std::string& what, int code) {
    if (error) *error = what + ": " + std::strerror(code);
    return false;
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    auto folder = target.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

std::mutex& injectorMutex() {
    static std::mutex mutex;
    return mutex;
}

AtomicFile::ErrorInjector& injector() {
    static AtomicFile::ErrorInjector current;
    return current;
}

// What a no-replace rename answers on a file system that cannot do it.
bool unsupported(int code) { return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP; }

}  // namespace

std::optional<std::filesystem::path> AtomicFile::keepAside(const std::filesystem::path& file, std::string* error) {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
    const std::string base = file.string() + ".corrupt-" + stamp;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string aside = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (renameNoReplace(file, aside)) {
            syncDirectory(folderOf(file));
            return std::filesystem::path(aside);
        }
        if (errno != EEXIST) break;
    }
    fail(error, "cannot move " + file.string() + " aside", errno);
    return std::nullopt;
}

bool AtomicFile::renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!injectedFault(Step::kRenameNoReplace) &&
        ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (!unsupported(errno)) return false;
    // No such rename here: a hard link never replaces an entry either, and
    // the file is under its new name before the old one goes.
    if (injectedFault(Step::kLink) || ::link(from.c_str(), to.c_str()) != 0) {
        const int code = errno;
        if (code != EEXIST) Log::warning("files: cannot link " + to.string() + ": " + std::strerror(code));
        errno = code;
        return false;
    }
    if (::unlink(from.c_str()) != 0)  // the leftover is removed later as abandoned
        Log::warning("files: cannot remove " + from.string() + ": " + std::strerror(errno));
    return true;
}

void AtomicFile::setFaultInjector(FaultInjector newInjector) {
    if (!newInjector) return setErrorInjector(nullptr);
    setErrorInjector([fails = std::move(newInjector)](Step step) { return fails(step) ? EIO : 0; });
}

void AtomicFile::setErrorInjector(ErrorInjector newInjector) {
    std::lock_guard lock(injectorMutex());
    injector() = std::move(newInjector);
}

bool AtomicFile::injectedFault(Step step) {
    std::lock_guard lock(injectorMutex());
    const int code = injector() ? injector()(step) : 0;
    if (code == 0) return false;
    errno = code;
    return true;
}

bool AtomicFile::isTemporaryName(std::string_view name) {
    constexpr std::string_view marker = ".tmp-";
    constexpr std::size_t unique = 6;  // mkostemp's XXXXXX
    if (name.size() < 1 + 1 + marker.size() + unique || name.front() != '.') return false;
    return name.substr(name.size() - unique - marker.size(), marker.size()) == marker;
}

bool AtomicFile::removeIfAbandoned(const std::filesystem::path& file, std::chrono::seconds age) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const auto changed = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
    if (std::chrono::system_clock::now() - changed <= age) return false;
    if (::unlink(file.c_str()) != 0) {
        Log::warning("files: cannot remove the abandoned " + file.string() + ": " + std::strerror(errno));
        return false;
    }
    Log::info("files: removed " + file.string() + ", left by a write that never finished");
    return true;
}

int AtomicFile::removeAbandoned(const std::filesystem::path& folder, std::chrono::seconds age) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    std::vector<std::string> temporaries;
    while (const dirent* entry = ::readdir(dir))
        if (isTemporaryName(entry->d_name)) temporaries.emplace_back(entry->d_name);
    ::closedir(dir);
    int removed = 0;
    for (const std::string& name : temporaries) removed += removeIfAbandoned(folder / name, age);
    return removed;
}

bool AtomicFile::writeAll(int fd, std::span<const std::uint8_t> bytes) {
    if (injectedFault(Step::kWrite)) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string AtomicFile::temporaryPrefix(const std::filesystem::path& target) {
    const std::string name = target.filename().string();
    std::string prefix;
    prefix.reserve(name.size() + 6);
    prefix.append(".").append(name).append(".tmp-");
    return prefix;
}

bool AtomicFile::syncDirectory(const std::filesystem::path& folder, std::string* error) {
    if (injectedFault(Step::kFlushFolder)) return fail(error, "cannot flush folder " + folder.string(), errno);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return fail(error, "cannot open folder " + folder.string(), errno);
    const bool synced = ::fsync(fd) == 0;
    const int code = errno;
    ::close(fd);
    return synced || fail(error, "cannot flush folder " + folder.string(), code);
}

bool AtomicFile::write(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                       mode_t mode, std::string* error) {
    return write(target, [bytes](int fd) { return writeAll(fd, bytes); }, mode, error);
}

bool AtomicFile::write(const std::filesystem::path& target, const std::function<bool(int fd)>& fill,
                       mode_t mode, std::string* error) {
    const std::filesystem::path folder = folderOf(target);
    std::string temporary = (folder / (temporaryPrefix(target) + "XXXXXX")).string();
    const int fd = injectedFault(Step::kCreate) ? -1 : ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return fail(error, "cannot create a file in " + folder.string(), errno);

    auto abandon = [&](const std::string& what) {
        const int code = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return fail(error, what, code);
    };
    if (::fchmod(fd, mode) != 0) return abandon("cannot set the mode of " + temporary);
    if (!fill(fd)) return abandon("cannot write " + temporary);
    if (injectedFault(Step::kFlush) || ::fsync(fd) != 0) return abandon("cannot flush " + temporary);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return fail(error, "cannot close " + temporary, code);
    }
    if (injectedFault(Step::kRename) || ::rename(temporary.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return fail(error, "cannot replace " + target.string(), code);
    }
    // The new file is in place and is what readers see; only its folder entry
    // may not have reached the disk yet.
    std::string why;
    if (!syncDirectory(folder, &why)) Log::warning("files: " + why);
    return true;
}

bool AtomicFile::create(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                        mode_t mode, bool& exists, std::string* error) {
    exists = false;
    const std::filesystem::path folder = folderOf(target);
    std::string temporary = (folder / (temporaryPrefix(target) + "XXXXXX")).string();
    const int fd = injectedFault(Step::kCreate) ? -1 : ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return fail(error, "cannot create a file in " + folder.string(), errno);
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && !injectedFault(Step::kFlush) &&
              ::fsync(fd) == 0;
    int code = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return fail(error, "cannot write " + temporary, code);
    }
    // Renaming without replacement: an existing photo is never overwritten.
    if (!renameNoReplace(temporary, target)) {
        code = errno;
        ::unlink(temporary.c_str());
        exists = code == EEXIST;
        return fail(error, exists ? target.string() + " already exists" : "cannot publish " + target.string(),
                    code);
    }
    // Published: what remains is only the durability of the folder entry.
    std::string why;
    if (!syncDirectory(folder, &why)) Log::warning("files: " + why);
    return true;
}

}  // namespace kestrel
