// The few file operations a whole-file save needs that the C library does not give the same way
// on every platform. Over Win32 in FileReplace_win.cpp, over POSIX in FileReplace_posix.cpp; the
// build compiles the one that fits. Paths are UTF-8; on Windows they reach the platform as UTF-16,
// so that a folder named in any script is found.
#pragma once

#include <cstdio>
#include <string>

namespace toolkit {

// Opens path for binary reading, or nullptr with `missing` telling whether the file or its folder
// does not exist. Other programs may read, write, rename and delete the file meanwhile; a save that
// replaces it (another copy's) waits until it is closed again (MoveIntoPlace).
std::FILE* OpenForReading(const std::string& path, bool& missing);

// Creates path, which must not exist yet, and opens it for binary writing; nullptr on failure,
// with `exists` telling whether a file of that name was there already.
std::FILE* CreateNewFile(const std::string& path, bool& exists);

// Hands the bytes written to f to the disk before the file is put in place.
bool CommitFile(std::FILE* f);

// Puts the file from in the place of to in one step, replacing a file already there. The file
// replaced hands on what the user or the system gave it: on Windows ReplaceFileW keeps its
// attributes, access rights and other streams (MoveFileExW only where nothing is there yet); on
// POSIX it keeps its access bits. A file with more than one hard link (a package manager's
// persisted copy) is not replaced but written over in place once the new contents stand whole
// in `from`, so that every name of it sees them; that write is the one step that is not atomic.
// On failure neither file is changed. On Windows a file that is open anywhere (a synchronising
// client, a virus scanner, a second copy of the launcher reading it), with delete sharing or
// without, cannot be replaced until it is closed: access denied and sharing violations are tried
// again for about half a second.
bool MoveIntoPlace(const std::string& from, const std::string& to);

// Whether path is a file its owner marked read-only: the read-only attribute on Windows, no
// write bit on POSIX. A save refuses such a file itself, since not every platform does (Wine lets
// the replacement through, and so does POSIX for an administrator).
bool IsReadOnlyFile(const std::string& path);

// The file a save of path must replace: where a symbolic link leads (through every link on the
// way), so that the link stays a link; path itself when it is no link or cannot be resolved.
std::string SaveTarget(const std::string& path);

// Deletes the file; false when it cannot.
bool RemoveFile(const std::string& path);

// What TIniFile calls to put a saved file in place: MoveIntoPlace unless a test has swapped in
// one that fails. Returns the one it replaces.
using FileReplacer = bool (*)(const std::string& from, const std::string& to);
FileReplacer SetFileReplacer(FileReplacer replacer);

} // namespace toolkit
