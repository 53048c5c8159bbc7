#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kestrel {

// What one stat() of a folder or file says about its contents: which file it
// is, when it last changed and how large it is. A reading of the store keeps
// the stamp taken before it listed a folder; a later stamp that differs means
// the folder changed since (another program wrote to it, or this one did).
//
// Modification times are coarse (a file system may give the same time to two
// changes milliseconds apart), so an equal stamp proves nothing for a folder
// that changed just before it was listed: such a listing is "recent" and is
// taken again at the next look, whatever the stamp says.
struct DiskStamp {
    // Changes closer than this to a listing may share its time stamp.
    static constexpr std::chrono::seconds kCoarseness{2};

    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::int64_t size = 0;
    // When the stamp was taken (the wall clock, as the file system's times).
    std::int64_t takenNs = 0;

    static DiskStamp of(const std::string& path);

    // Whether `later` describes the same, unchanged contents as this stamp.
    bool sameAs(const DiskStamp& later) const {
        return exists == later.exists && device == later.device && inode == later.inode &&
               modifiedNs == later.modifiedNs && changedNs == later.changedNs && size == later.size;
    }
    // Whether a change just after this stamp could have left it unchanged.
    bool recent() const;
    // Whether what was read under this stamp still holds, going by `now`.
    bool stillHolds(const DiskStamp& now) const { return sameAs(now) && !recent(); }
};

}  // namespace kestrel
