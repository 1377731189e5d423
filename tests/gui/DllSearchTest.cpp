// The process's DLL search as the program sets it at start: the folders that a DLL adds with
// AddDllDirectory are searched (the shell extensions that the dialogs and the launches load into
// the process rely on it), the current folder is not. A program of its own: the setting holds for
// the whole process.
#include "support/E2e.h"
#include "support/TempFiles.h"
#include "toolkit/SystemDll.h"
#include "toolkit/Text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace {

TEST(DllSearch, AddedFoldersAreSearchedAndTheCurrentFolderIsNot) {
    const std::string probe = e2e::EnvWindowsPath("TARNWICK_PROBE_DLL");
    ASSERT_FALSE(probe.empty()) << "TARNWICK_PROBE_DLL must name the probe DLL";
    const std::wstring source = toolkit::Widen(probe);
    testing_support::TempDir added{"tarnwick-dlls-"}, current{"tarnwick-cwd-"};
    // Names of their own, so that nothing else the process or the system has can answer.
    const std::filesystem::path inAdded = added.Dir() / L"tarnwick_probe_added.dll";
    const std::filesystem::path inCurrent = current.Dir() / L"tarnwick_probe_current.dll";
    ASSERT_TRUE(CopyFileW(source.c_str(), inAdded.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(source.c_str(), inCurrent.c_str(), FALSE));

    toolkit::RestrictDllSearch();
    const DLL_DIRECTORY_COOKIE cookie = AddDllDirectory(added.Dir().c_str());
    ASSERT_NE(cookie, nullptr);
    wchar_t before[MAX_PATH] = L"";
    (void)GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(current.Dir().c_str()));

    HMODULE extensionsOwn = LoadLibraryW(L"tarnwick_probe_added.dll");
    HMODULE planted = LoadLibraryW(L"tarnwick_probe_current.dll");
    EXPECT_NE(extensionsOwn, nullptr) << "a DLL in a folder added with AddDllDirectory";
    EXPECT_EQ(planted, nullptr) << "a DLL in the current folder";

    if (extensionsOwn)
        (void)FreeLibrary(extensionsOwn);
    if (planted)
        (void)FreeLibrary(planted);
    (void)SetCurrentDirectoryW(before);
    (void)RemoveDllDirectory(cookie);
}

} // namespace
