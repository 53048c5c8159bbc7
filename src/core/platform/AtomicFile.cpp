#include "core/platform/AtomicFile.h"

#include "core/platform/Log.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstring>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

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

AtomicFile::FaultInjector& injector() {
    static AtomicFile::FaultInjector current;
    return current;
}

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
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            syncDirectory(folderOf(file));
            return std::filesystem::path(aside);
        }
        if (errno != EEXIST) break;
    }
    fail(error, "cannot move " + file.string() + " aside", errno);
    return std::nullopt;
}

void AtomicFile::setFaultInjector(FaultInjector newInjector) {
    std::lock_guard lock(injectorMutex());
    injector() = std::move(newInjector);
}

bool AtomicFile::injectedFault(Step step) {
    std::lock_guard lock(injectorMutex());
    if (!injector() || !injector()(step)) return false;
    errno = EIO;
    return true;
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
    return "." + target.filename().string() + ".tmp-";
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
    if (injectedFault(Step::kRename) ||
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
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
