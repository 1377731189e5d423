// The launcher as the entry sequence builds it, in-process under Wine, on a settings file that the
// test writes first into a folder of its own; the recorder stands in for the system, and the
// entries' hot keys go to a stand-in for the system's registration that tests can make refuse.
#pragma once

#include "support/E2e.h"
#include "support/LauncherWindows.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace testing_support {

// The system's side of the entries' hot keys: what is registered under which id, and the
// combinations (modifiers, key) that another program holds or Windows keeps.
struct SystemHotKeys {
    static inline std::map<int, std::pair<UINT, UINT>> Registered;
    static inline std::set<std::pair<UINT, UINT>> HeldElsewhere;
    static bool Register(HWND, int id, UINT modifiers, UINT key) {
        const std::pair<UINT, UINT> combination{modifiers, key};
        if (HeldElsewhere.count(combination) != 0)
            return false;
        for (const auto& [other, held] : Registered)
            if (other != id && held == combination)
                return false;
        Registered[id] = combination;
        return true;
    }
    static void Unregister(HWND, int id) { Registered.erase(id); }
    static bool Holds(UINT modifiers, UINT key) {
        for (const auto& [id, held] : Registered)
            if (held == std::pair<UINT, UINT>{modifiers, key})
                return true;
        return false;
    }
    static void Install() {
        Registered.clear();
        HeldElsewhere.clear();
        TEntryHotKeys::Register = &Register;
        TEntryHotKeys::Unregister = &Unregister;
    }
};

class LauncherInFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        (void)GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "tarnwick-lf-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        e2e::RemoveTree(folder);
        (void)CreateDirectoryA(folder.c_str(), nullptr);
        recorder.ModulePath = folder + "Tarnwick.exe";
        SystemHotKeys::Install();
        ReleaseAtoms();
        app = std::make_unique<toolkit::Application>(recorder);
        app->Initialize();
        app->SetTitle("Tarnwick");
    }
    void TearDown() override {
        app.reset();
        ReleaseAtoms();
        e2e::RemoveTree(folder);
    }
    static void ReleaseAtoms() {
        for (int i = 0; i < 1000; ++i) {
            const ATOM atom = GlobalFindAtomA("TARNWICK");
            if (atom == 0 || GlobalDeleteAtom(atom) != 0)
                return;
        }
    }

    std::string Ini() const { return folder + "Tarnwick.ini"; }
    void Settings(const std::string& text) const { e2e::WriteFile(Ini(), text); }
    // The command window (which makes the editor), then the configuration window; the editor's
    // and the configuration window's controls wait for their first showing, as in the program.
    void Start() {
        CreateLauncherWindows(*app, false);
        app->ShowMainForm = false;
        ASSERT_NE(Tarnwick, nullptr);
        ASSERT_NE(F_Database, nullptr);
    }
    void Pump() { app->ProcessMessages(); }

    std::string folder;
    Recorder recorder;
    std::unique_ptr<toolkit::Application> app;
};

} // namespace testing_support
