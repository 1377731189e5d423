// The registry accessor against the Wine prefix's real registry, in a throw-away key under
// HKCU\Software\TarnwickTests that each test makes and removes again.
#include <gtest/gtest.h>

#include "toolkit/Errors.h"
#include "toolkit/Registry.h"

#include <windows.h>

#include <functional>
#include <string>

namespace {

const char* const kTestRoot = "Software\\TarnwickTests";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = std::string(kTestRoot) + "\\" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        (void)RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key_)
            RegCloseKey(key_);
        (void)RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        (void)RegDeleteKeyA(HKEY_CURRENT_USER, kTestRoot); // only goes when empty
    }

    void Put(const std::string& name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExA(key_, name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // The stored value's type and raw bytes, as the platform reports them.
    bool Raw(const std::string& name, DWORD& type, std::string& bytes) {
        DWORD size = 0;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        bytes.assign(size, '\0');
        return RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS;
    }
    static std::string Message(const std::function<void()>& f) {
        try {
            f();
        } catch (const toolkit::ERegistryException& e) {
            return e.what();
        }
        return "(no error)";
    }

    std::string path_;
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, KeyExistsAndOpenKeyNeverCreate) {
    toolkit::TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_TRUE(reg.KeyExists("\\" + path_));
    EXPECT_TRUE(reg.KeyExists(path_));
    EXPECT_FALSE(reg.KeyExists("\\" + path_ + "\\Missing"));
    EXPECT_EQ(reg.CurrentKey(), nullptr);

    EXPECT_FALSE(reg.OpenKey("\\" + path_ + "\\Missing"));
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (path_ + "\\Missing").c_str(), 0, KEY_READ, &probe),
              ERROR_SUCCESS);

    ASSERT_TRUE(reg.OpenKey("\\" + path_));
    EXPECT_NE(reg.CurrentKey(), nullptr);
}

TEST_F(RegistryTest, ReadsTextValues) {
    Put("Plain", REG_SZ, std::string("C:\\Tools\\\\Tarnwick.exe") + '\0');
    Put("Expand", REG_EXPAND_SZ, std::string("%WINDIR%\\x") + '\0');
    Put("Empty", REG_SZ, "");
    Put("JustZero", REG_SZ, std::string(1, '\0'));
    Put("Cut", REG_SZ, std::string("front\0back", 10) + '\0');
    Put("Unterminated", REG_SZ, "abc");
    Put("High", REG_SZ, "\xe9t\xe9\xff" + std::string(1, '\0'));
    const std::string big(20000, 'x');
    Put("Big", REG_SZ, big + '\0');

    toolkit::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + path_));
    EXPECT_TRUE(reg.ValueExists("Plain"));
    EXPECT_FALSE(reg.ValueExists("Absent"));
    EXPECT_EQ(reg.ReadString("Plain"), "C:\\Tools\\\\Tarnwick.exe");
    EXPECT_EQ(reg.ReadString("Expand"), "%WINDIR%\\x") << "expandable text is not expanded";
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_EQ(reg.ReadString("JustZero"), "");
    EXPECT_EQ(reg.ReadString("Cut"), "front");
    EXPECT_EQ(reg.ReadString("Unterminated"), "abc");
    // Stored by an ANSI program (code page 1252 here): read as the characters it meant, in UTF-8.
    EXPECT_EQ(reg.ReadString("High"), "\xC3\xA9t\xC3\xA9\xC3\xBF");
    EXPECT_EQ(reg.ReadString("Big"), big);
}

TEST_F(RegistryTest, ReadErrorsNameTheValue) {
    Put("Number", REG_DWORD, std::string("\x01\x00\x00\x00", 4));
    Put("Blob", REG_BINARY, "ab");
    Put("List", REG_MULTI_SZ, std::string("a\0b\0\0", 5));

    toolkit::TRegistry reg;
    EXPECT_EQ(Message([&] { reg.ReadString("Number"); }), "Failed to get data for 'Number'")
        << "no current key yet";
    ASSERT_TRUE(reg.OpenKey("\\" + path_));
    EXPECT_TRUE(reg.ValueExists("Number"));
    EXPECT_EQ(Message([&] { reg.ReadString("Number"); }), "Invalid data type for 'Number'");
    EXPECT_EQ(Message([&] { reg.ReadString("Blob"); }), "Invalid data type for 'Blob'");
    EXPECT_EQ(Message([&] { reg.ReadString("List"); }), "Invalid data type for 'List'");
    EXPECT_EQ(Message([&] { reg.ReadString("Absent"); }), "Failed to get data for 'Absent'");
}

TEST_F(RegistryTest, WritesTextWithItsZeroByteAndDeletes) {
    toolkit::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + path_));
    reg.WriteString("Orvalen Tarnwick", "C:\\Tools\\\\Tarnwick.exe");
    reg.WriteString("Blank", "");
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(Raw("Orvalen Tarnwick", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("C:\\Tools\\\\Tarnwick.exe") + '\0');
    // A path in any script is stored as the system's text and read back whole.
    const std::string unicode = "C:\\\xE3\x83\xA6\xE3\x83\x8B \xE3\x82\xB3\\Tarnwick.exe";
    reg.WriteString("Unicode", unicode);
    EXPECT_EQ(reg.ReadString("Unicode"), unicode);
    ASSERT_TRUE(Raw("Blank", type, bytes));
    EXPECT_EQ(bytes, std::string(1, '\0'));

    // Writing over a value of another type replaces it with text.
    Put("Number", REG_DWORD, std::string("\x07\x00\x00\x00", 4));
    reg.WriteString("Number", "seven");
    ASSERT_TRUE(Raw("Number", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    EXPECT_TRUE(reg.DeleteValue("Orvalen Tarnwick"));
    EXPECT_FALSE(reg.ValueExists("Orvalen Tarnwick"));
    EXPECT_FALSE(reg.DeleteValue("Orvalen Tarnwick"));
    EXPECT_TRUE(reg.ValueExists("Blank"));
}

TEST_F(RegistryTest, ValueOperationsFailWithoutACurrentKey) {
    Put("Here", REG_SZ, std::string("x") + '\0');
    toolkit::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + path_));
    EXPECT_FALSE(reg.OpenKey("\\" + path_ + "\\Missing"));
    // The failed open dropped the key that was open before.
    EXPECT_FALSE(reg.ValueExists("Here"));
    EXPECT_FALSE(reg.DeleteValue("Here"));
    EXPECT_EQ(Message([&] { reg.WriteString("Here", "y"); }), "Failed to set data for 'Here'");
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(Raw("Here", type, bytes));
    EXPECT_EQ(bytes, std::string("x") + '\0') << "nothing was written";
}

TEST_F(RegistryTest, ClosesItsKeyAtScopeEndAndOnReopen) {
    HKEY first = nullptr;
    HKEY second = nullptr;
    {
        toolkit::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\" + path_));
        first = reg.CurrentKey();
        ASSERT_TRUE(reg.OpenKey("\\" + std::string(kTestRoot)));
        EXPECT_NE(RegQueryInfoKeyA(first, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS)
            << "the first key was closed when the second was opened";
        second = reg.CurrentKey();
        EXPECT_EQ(RegQueryInfoKeyA(second, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
    }
    EXPECT_NE(RegQueryInfoKeyA(second, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

} // namespace
