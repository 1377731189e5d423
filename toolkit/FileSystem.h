// The file-system questions the program asks outside the settings accessor: how a file stands
// now, and whether a folder takes new files. Paths are UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace toolkit {

// How a file stood when asked, from one attribute query and without opening it (a symbolic link
// is opened, to answer for the file it leads to). Any difference
// means the file was written, replaced or copied over since; a file replaced within one tick of
// the file system's clock (100 ns on NTFS, 10 ms on exFAT, 2 s on FAT) by one of the same size
// and creation time looks the same.
struct TFileStamp {
    bool Exists = false; // false also when the file could not be asked about
    std::uint64_t Written = 0, Created = 0, Size = 0;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStampOf(const std::string& path);

// Whether a new file can be made in `folder` (ending in a backslash): a temporary file of a name
// of its own is created there, to be deleted by the system as soon as it is closed. The folder's
// read-only attribute says nothing about this: Windows ignores it for folders. A folder too deep
// for a temporary file's name counts as one that cannot be written.
bool CanCreateFileIn(const std::string& folder);

} // namespace toolkit
