// The hot key record, its stored value, key names and the capture steps of the hot key box.
#include "gen/Gen_func.h"

namespace {

constexpr std::uint16_t VkBack = 8;
constexpr std::uint16_t VkShift = 16;
constexpr std::uint16_t VkControl = 17;
constexpr std::uint16_t VkMenu = 18;
constexpr std::uint16_t VkLWin = 91;
constexpr std::uint16_t VkRWin = 92;

bool IsModifierKey(std::uint16_t key) {
    return key == VkShift || key == VkControl || key == VkMenu || key == VkLWin || key == VkRWin;
}

void ClearModifiers(THotKey& h) {
    h.Ctrl = h.Alt = h.Shift = h.Win = 0;
}

bool AnyModifier(const THotKey& h) {
    return h.Ctrl != 0 || h.Alt != 0 || h.Shift != 0 || h.Win != 0;
}

// The set modifiers in front of the text, always in the order Ctrl, Alt, Shift, Win.
std::string WithModifiers(const THotKey& h, const std::string& text) {
    std::string out;
    if (h.Ctrl != 0)
        out += "Ctrl + ";
    if (h.Alt != 0)
        out += "Alt + ";
    if (h.Shift != 0)
        out += "Shift + ";
    if (h.Win != 0)
        out += "Win + ";
    return out + text;
}

// The keys with a name of their own; keypad digits and F1 to F12 are computed in KeyName.
struct NamedKey {
    std::uint16_t code;
    const char* name;
};
constexpr NamedKey NamedKeys[] = {
    {3, "Break"},       {8, "None"},     {12, "Center"},     {13, "Enter"},    {19, "PauSe"},
    {20, "C-Lock"},     {27, "Esc"},     {32, "Space"},      {33, "PgUp"},     {34, "PgDown"},
    {35, "End"},        {36, "Home"},    {37, "Left Arrow"}, {38, "Up Arrow"}, {39, "Right Arrow"},
    {40, "Down Arrow"}, {45, "Ins"},     {46, "Del"},        {93, "Menu"},     {95, "Sleep"},
    {106, "Num *"},     {107, "Num +"},  {109, "Num -"},     {110, "Num ."},   {111, "Num /"},
    {144, "N-Lock"},    {145, "S-Lock"}, {186, ";"},         {187, "="},       {188, "<"},
    {189, "-"},         {190, ">"},      {191, "/"},         {192, "`"},       {219, "["},
    {220, "\\"},        {221, "]"},      {222, "'"},         {255, "Power"},
};

const char* TableName(std::uint16_t code) {
    for (const NamedKey& k : NamedKeys)
        if (k.code == code)
            return k.name;
    return nullptr;
}

} // namespace

std::string KeyName(std::uint16_t code) {
    if (code >= 96 && code <= 105)
        return "Num " + std::to_string(code - 96);
    if (code >= 112 && code <= 123)
        return "F" + std::to_string(code - 111);
    if (const char* name = TableName(code))
        return name;
    return std::string(1, static_cast<char>(code & 0xFF));
}

std::uint16_t EncodeHotKey(const THotKey& h) {
    std::uint32_t value = h.Key;
    if (h.Ctrl != 0)
        value += 1000;
    if (h.Alt != 0)
        value += 2000;
    if (h.Shift != 0)
        value += 4000;
    if (h.Win != 0)
        value += 8000;
    return static_cast<std::uint16_t>(value);
}

THotKey DecodeHotKey(std::uint16_t value) {
    THotKey h;
    unsigned q = value / 1000u;
    const unsigned k = value % 1000u;
    h.Key = static_cast<std::uint16_t>(k == VkBack ? 0 : k);
    if (q >= 8) {
        h.Win = 1;
        q -= 8;
    }
    if (q >= 4) {
        h.Shift = 1;
        q -= 4;
    }
    if (q >= 2) {
        h.Alt = 1;
        q -= 2;
    }
    if (q >= 1)
        h.Ctrl = 1;
    return h;
}

std::uint32_t HotKeyModifiers(const THotKey& h) {
    std::uint32_t mods = 0;
    if (h.Ctrl != 0)
        mods |= 2;
    if (h.Alt != 0)
        mods |= 1;
    if (h.Shift != 0)
        mods |= 4;
    if (h.Win != 0)
        mods |= 8;
    return mods;
}

std::string HotKeyText(const THotKey& h) {
    if (h.Key == 0)
        return "None";
    return WithModifiers(h, KeyName(h.Key));
}

THotKey EmptyHotKey() {
    return THotKey{};
}

std::string HotKeyKeyDown(std::uint16_t key, THotKey& r) {
    if (r.Key != 0) {
        if (IsModifierKey(key)) {
            ClearModifiers(r);
        } else if (AnyModifier(r)) {
            ClearModifiers(r);
            r.Key = 0;
        }
    }
    r.Key = (IsModifierKey(key) || key == VkBack) ? 0 : key;
    if (key == VkLWin || key == VkRWin)
        r.Win = 1;
    if (key == VkShift)
        r.Shift = 1;
    if (key == VkControl)
        r.Ctrl = 1;
    if (key == VkMenu)
        r.Alt = 1;
    return WithModifiers(r, " ");
}

std::string HotKeyKeyUp(std::uint16_t key, THotKey& r) {
    std::string text = KeyName(key);
    if (r.Key == 0) {
        text = " ";
        if (key == VkLWin || key == VkRWin)
            r.Win = 0;
        if (key == VkShift)
            r.Shift = 0;
        if (key == VkControl)
            r.Ctrl = 0;
        if (key == VkMenu)
            r.Alt = 0;
    } else if (IsModifierKey(key)) {
        text = KeyName(r.Key);
    }
    text = WithModifiers(r, text);
    if (text == " ") {
        r = EmptyHotKey();
        return "None";
    }
    return text;
}
