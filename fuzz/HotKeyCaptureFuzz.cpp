// Fuzz target: the hot key box fed random key-down/key-up streams. The capture record must stay
// a record the settings file can hold: flags 0 or 1, Backspace never the key, "None" shown
// whenever a key-up empties the record, and a captured key below 1000 surviving the stored
// encoding.
#include "gen/Gen_func.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    THotKey capture =
        DecodeHotKey(size >= 2 ? static_cast<std::uint16_t>(data[0] | data[1] << 8) : 0);
    for (std::size_t i = 2; i + 1 < size; i += 2) {
        // Each event: one byte for the direction, one for the key (the keyboard's codes < 256).
        const bool down = data[i] & 1;
        const std::uint16_t key = data[i + 1];
        const std::string text = down ? HotKeyKeyDown(key, capture) : HotKeyKeyUp(key, capture);
        for (const auto flag : {capture.Ctrl, capture.Alt, capture.Shift, capture.Win})
            if (flag != 0 && flag != 1)
                std::abort();
        if (capture.Key == 8 || text.empty())
            std::abort();
        const bool empty =
            capture.Key == 0 && !capture.Ctrl && !capture.Alt && !capture.Shift && !capture.Win;
        // A key-up that leaves nothing captured shows "None". (The reverse need not hold: the
        // release of Backspace while another key is captured shows Backspace's name, "None".)
        if (!down && empty && text != "None")
            std::abort();
        if (capture.Key != 0 && capture.Key < 1000) {
            const THotKey back = DecodeHotKey(EncodeHotKey(capture));
            if (back.Key != capture.Key || back.Ctrl != capture.Ctrl || back.Alt != capture.Alt ||
                back.Shift != capture.Shift || back.Win != capture.Win)
                std::abort();
        }
    }
    return 0;
}
