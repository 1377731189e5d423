// What a screen reader gets from our windows: the system's accessible object of a window read
// back (oleacc, loaded here so that the program need not import it), and a recorder in place of
// the dynamic annotation, which Wine does not keep.
#pragma once

#include "toolkit/Accessible.h"
#include "toolkit/Text.h"

#include <windows.h>
#include <oleacc.h>

#include <map>
#include <string>
#include <tuple>

namespace testing_support {

// The name or description a reader hears of `window`'s client object or its item `child`;
// "<none>" when it has none, "<no object>" when the system gives no object at all.
inline std::string AccessibleText(HWND window, long child, toolkit::TAccText what) {
    static const IID kIAccessible = {
        0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static const auto fromWindow = reinterpret_cast<FromWindow>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
    void* made = nullptr;
    if (!fromWindow ||
        FAILED(fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible, &made)))
        return "<no object>";
    auto* object = static_cast<IAccessible*>(made);
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    BSTR text = nullptr;
    const HRESULT hr = what == toolkit::TAccText::Name ? object->get_accName(id, &text)
                                                       : object->get_accDescription(id, &text);
    object->Release();
    std::string result = hr == S_OK && text ? toolkit::Narrow(text) : "<none>";
    SysFreeString(text);
    return result;
}

// Takes the annotations in place of the system while it lives, and starts and ends with no
// accessibility client seen.
class AnnotationRecorder {
public:
    using Key = std::tuple<HWND, long, toolkit::TAccText>;
    AnnotationRecorder() {
        current_ = this;
        toolkit::ForgetAccessibleClient();
        toolkit::Annotate = [](HWND window, long child, toolkit::TAccText what,
                               const std::string& text) {
            ++current_->calls_;
            if (text.empty())
                current_->texts_.erase({window, child, what});
            else
                current_->texts_[{window, child, what}] = text;
            return true;
        };
    }
    ~AnnotationRecorder() {
        toolkit::Annotate = &toolkit::AnnotateWithPropServices;
        toolkit::ForgetAccessibleClient();
        current_ = nullptr;
    }
    AnnotationRecorder(const AnnotationRecorder&) = delete;
    AnnotationRecorder& operator=(const AnnotationRecorder&) = delete;

    // What stands annotated now; "" for nothing.
    std::string Text(HWND window, long child, toolkit::TAccText what) const {
        const auto found = texts_.find({window, child, what});
        return found == texts_.end() ? std::string() : found->second;
    }
    int Calls() const { return calls_; }

private:
    static inline AnnotationRecorder* current_ = nullptr;
    std::map<Key, std::string> texts_;
    int calls_ = 0;
};

} // namespace testing_support
