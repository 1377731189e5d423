#include "gen/Gen_func.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::string_literals;

constexpr std::uint16_t Ctrl = 17, Alt = 18, Shift = 16, LWin = 91, RWin = 92, Back = 8;

std::string Flags(const THotKey& h) {
    std::string out;
    out += h.Ctrl ? "C" : "-";
    out += h.Alt ? "A" : "-";
    out += h.Shift ? "S" : "-";
    out += h.Win ? "W" : "-";
    return out;
}

TEST(HotKeyCode, DecodesTheWorkedValues) {
    const THotKey none = DecodeHotKey(0);
    EXPECT_EQ(none.Key, 0);
    EXPECT_EQ(Flags(none), "----");
    EXPECT_EQ(HotKeyText(none), "None");

    const THotKey f = DecodeHotKey(3070);
    EXPECT_EQ(f.Key, 70);
    EXPECT_EQ(Flags(f), "CA--");
    EXPECT_EQ(HotKeyText(f), "Ctrl + Alt + F");
    EXPECT_EQ(HotKeyModifiers(f), 3u);

    const THotKey all = DecodeHotKey(116 + 15000);
    EXPECT_EQ(all.Key, 116);
    EXPECT_EQ(Flags(all), "CASW");
    EXPECT_EQ(HotKeyText(all), "Ctrl + Alt + Shift + Win + F5");
    EXPECT_EQ(HotKeyModifiers(all), 15u);
    EXPECT_EQ(EncodeHotKey(all), 15116);

    const THotKey space = DecodeHotKey(13032);
    EXPECT_EQ(HotKeyText(space), "Ctrl + Shift + Win + Space");
    EXPECT_EQ(HotKeyModifiers(space), 2u | 4u | 8u);

    const THotKey top = DecodeHotKey(65535);
    EXPECT_EQ(top.Key, 535);
    EXPECT_EQ(Flags(top), "CASW") << "thousands of 15 and more set all four flags";

    EXPECT_EQ(HotKeyText(DecodeHotKey(2103)), "Alt + Num 7");
    EXPECT_EQ(HotKeyModifiers(DecodeHotKey(2103)), 1u);
    EXPECT_EQ(HotKeyModifiers(DecodeHotKey(4065)), 4u);
}

TEST(HotKeyCode, BackspaceIsStoredAsNoKey) {
    EXPECT_EQ(DecodeHotKey(8).Key, 0);
    const THotKey ctrlOnly = DecodeHotKey(1008);
    EXPECT_EQ(ctrlOnly.Key, 0);
    EXPECT_EQ(Flags(ctrlOnly), "C---");
    EXPECT_EQ(HotKeyText(ctrlOnly), "None") << "no key means no hot key, whatever the flags";
}

TEST(HotKeyCode, EveryStoredValueDecodesAndEncodesBack) {
    // 0 to 15999 are the values a capture can produce; above that the thousands saturate.
    for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
        const auto value = static_cast<std::uint16_t>(v);
        const THotKey h = DecodeHotKey(value);
        ASSERT_LE(h.Key, 999);
        for (std::int32_t flag : {h.Ctrl, h.Alt, h.Shift, h.Win})
            ASSERT_TRUE(flag == 0 || flag == 1) << v;
        const std::uint32_t key = v % 1000 == 8 ? 0 : v % 1000;
        const std::uint32_t expected = v <= 15999 ? v - v % 1000 + key : 15000 + key;
        ASSERT_EQ(EncodeHotKey(h), expected) << v;
        if (v <= 15999 && v % 1000 != 8) {
            ASSERT_EQ(EncodeHotKey(h), v);
        }
    }
}

TEST(HotKeyCode, EncodingCountsAnyNonZeroFlagAndKeepsSixteenBits) {
    EXPECT_EQ(EncodeHotKey(THotKey{70, 5, -1, 0, 0}), 3070);
    EXPECT_EQ(EncodeHotKey(THotKey{116, 0, 0, 0, 0}), 116);
    EXPECT_EQ(EncodeHotKey(EmptyHotKey()), 0);
    EXPECT_EQ(EncodeHotKey(THotKey{65535, 1, 0, 0, 0}), 999) << "(65535 + 1000) mod 65536";
    EXPECT_EQ(HotKeyModifiers(THotKey{70, 0, 0, -3, 0}), 4u);
    EXPECT_EQ(HotKeyText(THotKey{70, 0, 0, 0, 7}), "Win + F");
}

TEST(KeyName, NamesEveryKeyOfTheTable) {
    const std::vector<std::pair<int, std::string>> table = {
        {3, "Break"},       {8, "None"},      {12, "Center"},      {13, "Enter"},
        {19, "PauSe"},      {20, "C-Lock"},   {27, "Esc"},         {32, "Space"},
        {33, "PgUp"},       {34, "PgDown"},   {35, "End"},         {36, "Home"},
        {37, "Left Arrow"}, {38, "Up Arrow"}, {39, "Right Arrow"}, {40, "Down Arrow"},
        {45, "Ins"},        {46, "Del"},      {93, "Menu"},        {95, "Sleep"},
        {96, "Num 0"},      {101, "Num 5"},   {105, "Num 9"},      {106, "Num *"},
        {107, "Num +"},     {109, "Num -"},   {110, "Num ."},      {111, "Num /"},
        {112, "F1"},        {116, "F5"},      {121, "F10"},        {123, "F12"},
        {144, "N-Lock"},    {145, "S-Lock"},  {186, ";"},          {187, "="},
        {188, "<"},         {189, "-"},       {190, ">"},          {191, "/"},
        {192, "`"},         {219, "["},       {220, "\\"},         {221, "]"},
        {222, "'"},         {255, "Power"},
    };
    for (const auto& [code, name] : table)
        EXPECT_EQ(KeyName(static_cast<std::uint16_t>(code)), name) << code;
}

TEST(KeyName, OtherCodesAreOneCharacterOfTheirLowByte) {
    EXPECT_EQ(KeyName(65), "A");
    EXPECT_EQ(KeyName(90), "Z");
    EXPECT_EQ(KeyName(49), "1");
    EXPECT_EQ(KeyName(9), "\t");
    EXPECT_EQ(KeyName(0), "\0"s) << "a text of length one holding a zero byte";
    EXPECT_EQ(KeyName(108), "l") << "keypad separator is not in the table";
    EXPECT_EQ(KeyName(124), "|") << "F13 is beyond the F1..F12 range";
    EXPECT_EQ(KeyName(300), ",");
    EXPECT_EQ(KeyName(269), "\r") << "codes above 255 never use the table";
    EXPECT_EQ(KeyName(256 + 32), " ");
    EXPECT_EQ(KeyName(0xFFFF), "\xFF");
    for (int code = 0; code <= 0xFFFF; ++code)
        ASSERT_FALSE(KeyName(static_cast<std::uint16_t>(code)).empty()) << code;
}

// One step of a capture: the key event, the record afterwards and the text shown.
struct Step {
    bool down;
    std::uint16_t key;
    std::uint16_t recordKey;
    std::string flags;
    std::string text;
};

void Capture(THotKey& r, const std::vector<Step>& steps) {
    int n = 0;
    for (const Step& s : steps) {
        const std::string text = s.down ? HotKeyKeyDown(s.key, r) : HotKeyKeyUp(s.key, r);
        EXPECT_EQ(text, s.text) << "step " << n;
        EXPECT_EQ(r.Key, s.recordKey) << "step " << n;
        EXPECT_EQ(Flags(r), s.flags) << "step " << n;
        ++n;
    }
}

TEST(HotKeyCapture, WorkedSequenceKeepsModifiersReleasedAfterTheKey) {
    THotKey r = EmptyHotKey();
    Capture(r, {
                   {true, Ctrl, 0, "C---", "Ctrl +  "},
                   {true, Alt, 0, "CA--", "Ctrl + Alt +  "},
                   {true, 70, 70, "CA--", "Ctrl + Alt +  "},
                   {false, 70, 70, "CA--", "Ctrl + Alt + F"},
                   {false, Alt, 70, "CA--", "Ctrl + Alt + F"},
                   {false, Ctrl, 70, "CA--", "Ctrl + Alt + F"},
               });
    EXPECT_EQ(EncodeHotKey(r), 3070);
}

TEST(HotKeyCapture, ClearingAndLoneKeys) {
    THotKey r = EmptyHotKey();
    Capture(r, {{true, Ctrl, 0, "C---", "Ctrl +  "}, {false, Ctrl, 0, "----", "None"}});

    r = DecodeHotKey(3070); // Backspace over a complete hot key clears it
    Capture(r, {{true, Back, 0, "----", " "}, {false, Back, 0, "----", "None"}});

    r = EmptyHotKey(); // Backspace under a held modifier keeps the modifier
    Capture(r, {{true, Alt, 0, "-A--", "Alt +  "},
                {true, Back, 0, "-A--", "Alt +  "},
                {false, Back, 0, "-A--", "Alt +  "}});

    r = DecodeHotKey(116);
    Capture(r, {{true, Back, 0, "----", " "}, {false, Back, 0, "----", "None"}});
    EXPECT_EQ(EncodeHotKey(r), 0);

    r = EmptyHotKey();
    Capture(r, {{true, 116, 116, "----", " "}, {false, 116, 116, "----", "F5"}});
    EXPECT_EQ(EncodeHotKey(r), 116);
}

TEST(HotKeyCapture, ModifierAfterACompleteHotKeyStartsAfresh) {
    THotKey r = DecodeHotKey(3070);
    EXPECT_EQ(HotKeyKeyDown(Shift, r), "Shift +  ");
    EXPECT_EQ(r.Key, 0);
    EXPECT_EQ(Flags(r), "--S-");
}

TEST(HotKeyCapture, SecondMainKeyWhileModifierHeldDropsTheModifiers) {
    THotKey r = EmptyHotKey();
    Capture(r, {
                   {true, Ctrl, 0, "C---", "Ctrl +  "},
                   {true, 70, 70, "C---", "Ctrl +  "},
                   {false, 70, 70, "C---", "Ctrl + F"},
                   {true, 70, 70, "----", " "}, // F repeats while Ctrl is still held
                   {false, 70, 70, "----", "F"},
                   {true, 71, 71, "----", " "},
                   {false, 71, 71, "----", "G"},
               });
    r = DecodeHotKey(1070);
    Capture(r, {{true, 72, 72, "----", " "}, {false, 72, 72, "----", "H"}});
}

TEST(HotKeyCapture, ReleasingAModifierBeforeAnyKeyDropsOnlyIt) {
    THotKey r = EmptyHotKey();
    Capture(r, {
                   {true, Ctrl, 0, "C---", "Ctrl +  "},
                   {true, Shift, 0, "C-S-", "Ctrl + Shift +  "},
                   {false, Shift, 0, "C---", "Ctrl +  "},
               });
    r = EmptyHotKey();
    Capture(r, {
                   {true, LWin, 0, "---W", "Win +  "},
                   {false, RWin, 0, "----", "None"}, // either Windows key clears Win
                   {true, RWin, 0, "---W", "Win +  "},
                   {true, Alt, 0, "-A-W", "Alt + Win +  "},
                   {false, 65, 0, "-A-W", "Alt + Win +  "}, // a key-up without a captured key
               });
}

TEST(HotKeyCapture, KeyUpOfAnOtherHeldKeyShowsThatKeyButTheRecordKeepsTheLast) {
    THotKey r = EmptyHotKey();
    Capture(r, {
                   {true, Alt, 0, "-A--", "Alt +  "},
                   {true, 65, 65, "-A--", "Alt +  "},
                   {true, 66, 66, "----", " "},
                   {false, 65, 66, "----", "A"},
                   {false, 66, 66, "----", "B"},
                   {false, Alt, 66, "----", "B"},
               });
    EXPECT_EQ(EncodeHotKey(r), 66);
}

} // namespace
