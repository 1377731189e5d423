#include "toolkit/Accessible.h"

#include "toolkit/Ole.h"
#include "toolkit/SystemDll.h"
#include "toolkit/Text.h"

#include <oleacc.h>

namespace toolkit {

namespace {

// Spelled out here: the import libraries do not all carry them.
constexpr CLSID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kPropName = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kPropDescription = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};

bool clientSeen = false;

// The annotation service, made once per thread and kept for the rest of the run, as OLE is.
IAccPropServices* PropServices() {
    thread_local IAccPropServices* const services = []() -> IAccPropServices* {
        if (!EnsureOle())
            return nullptr;
        void* made = nullptr;
        const auto create =
            SystemFunction<decltype(CoCreateInstance)>("ole32.dll", "CoCreateInstance");
        if (FAILED(
                create(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices, &made)))
            return nullptr;
        return static_cast<IAccPropServices*>(made);
    }();
    return services;
}

} // namespace

bool AnnotateWithPropServices(HWND window, long child, TAccText what, const std::string& text) {
    IAccPropServices* services = PropServices();
    if (!services || !IsWindow(window))
        return false;
    const GUID& prop = what == TAccText::Name ? kPropName : kPropDescription;
    const DWORD id = static_cast<DWORD>(child);
    if (text.empty()) {
        MSAAPROPID props[] = {prop};
        return SUCCEEDED(
            services->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), id, props, 1));
    }
    const std::wstring wide = Widen(text);
    return SUCCEEDED(
        services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), id, prop, wide.c_str()));
}

void NoteAccessibleClient() {
    clientSeen = true;
}

bool AccessibleClientSeen() {
    return clientSeen;
}

void ForgetAccessibleClient() {
    clientSeen = false;
}

void Announce(HWND window) {
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace toolkit
