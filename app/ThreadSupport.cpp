// The few POSIX thread functions that the C++ run-time itself calls, on the system's own
// primitives, for the shipped exe only. The compiler's exception support keeps its per-thread
// state through emulated thread-local storage, which asks for a once-flag, a key with a
// destructor and a mutex, and its emergency exception pool asks for a mutex. Answered by the
// MinGW thread library, those few calls would bring in all of it (threads, condition variables,
// read-write locks, spin locks, its own thread-exit hooks: 26 KB). Linked as an object of the
// program, these definitions come first, so that the library is never searched for them. The
// program itself starts its threads with CreateThread and never calls these.
//
// The types and initial values are the MinGW thread library's (<pthread.h>): a once-flag is a
// long that starts at 0, a key an unsigned index, a mutex a pointer-sized slot that starts at -1
// (PTHREAD_MUTEX_INITIALIZER) and here holds a slim reader/writer lock.
#include <windows.h>

#include <cerrno>
#include <cstdint>

namespace {

using Destructor = void (*)(void*);

// A key's destructor runs when a thread ends with a value in the key, as POSIX has it: through a
// fiber-local slot's callback, which the system calls at every thread's end. The callback gets
// the value alone, so each key has a callback of its own.
constexpr int kKeys = 4;
Destructor destructors[kKeys];
LONG keysUsed = 0;

template <int K> void WINAPI RunDestructor(void* value) {
    if (value != nullptr && destructors[K] != nullptr)
        destructors[K](value);
}

constexpr PFLS_CALLBACK_FUNCTION kCallbacks[kKeys] = {RunDestructor<0>, RunDestructor<1>,
                                                      RunDestructor<2>, RunDestructor<3>};

PSRWLOCK Lock(std::intptr_t* mutex) {
    // A mutex still at its static initial value becomes an unlocked lock, once.
    (void)InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID*>(mutex), nullptr,
        reinterpret_cast<PVOID>(static_cast<std::intptr_t>(-1)));
    return reinterpret_cast<PSRWLOCK>(mutex);
}

} // namespace

extern "C" {

int pthread_once(long* once, void (*init)()) {
    // 0: not run, 1: running, 2: done. Whoever comes second waits until the first is done.
    if (InterlockedCompareExchange(once, 1, 0) == 0) {
        init();
        (void)InterlockedExchange(once, 2);
        return 0;
    }
    while (InterlockedCompareExchange(once, 2, 2) != 2)
        (void)SwitchToThread();
    return 0;
}

int pthread_key_create(unsigned* key, Destructor destructor) {
    const LONG k = InterlockedIncrement(&keysUsed) - 1;
    if (k >= kKeys)
        return EAGAIN;
    destructors[k] = destructor;
    const DWORD slot = FlsAlloc(kCallbacks[k]);
    if (slot == FLS_OUT_OF_INDEXES)
        return EAGAIN;
    *key = slot;
    return 0;
}

void* pthread_getspecific(unsigned key) {
    return FlsGetValue(key);
}

int pthread_setspecific(unsigned key, const void* value) {
    return FlsSetValue(key, const_cast<void*>(value)) ? 0 : ENOMEM;
}

int pthread_mutex_init(std::intptr_t* mutex, const unsigned*) {
    *mutex = 0; // SRWLOCK_INIT
    return 0;
}

int pthread_mutex_destroy(std::intptr_t*) {
    return 0;
}

int pthread_mutex_lock(std::intptr_t* mutex) {
    AcquireSRWLockExclusive(Lock(mutex));
    return 0;
}

int pthread_mutex_unlock(std::intptr_t* mutex) {
    ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(mutex)); // locked, so made already
    return 0;
}

} // extern "C"
