// The run-time's thread calls as the shipped exe answers them (app/ThreadSupport.cpp, linked into
// this test as into the exe): a once-flag, keys whose destructors run at a thread's end, a mutex
// from its static initial value, and exceptions thrown on several threads at once, whose
// per-thread state goes through those keys. A program of its own without GoogleTest, whose
// threads would bring the thread library back; it prints each failed check and exits with 1.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
int pthread_once(long* once, void (*init)());
int pthread_key_create(unsigned* key, void (*destructor)(void*));
void* pthread_getspecific(unsigned key);
int pthread_setspecific(unsigned key, const void* value);
int pthread_mutex_lock(std::intptr_t* mutex);
int pthread_mutex_unlock(std::intptr_t* mutex);
}

namespace {

int failures = 0;
bool Check(bool ok, const char* what, int line) {
    if (!ok) {
        std::printf("line %d: failed: %s\n", line, what);
        ++failures;
    }
    return ok;
}
#define CHECK(condition) Check((condition), #condition, __LINE__)
#define CHECK_EQ(a, b) Check((a) == (b), #a " == " #b, __LINE__)

// Runs `work` on `count` threads at once and waits for them all.
void OnThreads(int count, const std::function<void(int)>& work) {
    struct Start {
        const std::function<void(int)>* Work;
        int Index;
    };
    std::vector<Start> starts(static_cast<std::size_t>(count));
    std::vector<HANDLE> threads;
    for (int i = 0; i < count; ++i) {
        starts[static_cast<std::size_t>(i)] = {&work, i};
        threads.push_back(CreateThread(
            nullptr, 0,
            [](void* p) -> DWORD {
                const auto* s = static_cast<Start*>(p);
                (*s->Work)(s->Index);
                return 0;
            },
            &starts[static_cast<std::size_t>(i)], 0, nullptr));
        if (!CHECK(threads.back() != nullptr))
            return;
    }
    for (HANDLE t : threads) {
        CHECK_EQ(WaitForSingleObject(t, 20000), WAIT_OBJECT_0);
        CloseHandle(t);
    }
}

long onceFlag = 0;
volatile LONG onceRuns = 0;

void OnceRunsItsFunctionOnceAndEveryCallerReturnsAfterIt() {
    LONG sawItDone = 0;
    OnThreads(8, [&](int) {
        (void)pthread_once(&onceFlag, [] {
            Sleep(30); // long enough for the others to arrive meanwhile
            InterlockedIncrement(&onceRuns);
        });
        if (onceRuns == 1)
            InterlockedIncrement(&sawItDone);
    });
    CHECK_EQ(onceRuns, 1);
    CHECK_EQ(sawItDone, 8);
}

std::vector<void*> destroyed;
std::intptr_t destroyedLock = -1;

void AKeysDestructorRunsAtAThreadsEndForItsValueOnly() {
    unsigned key = 0;
    const auto destructor = [](void* value) {
        pthread_mutex_lock(&destroyedLock);
        destroyed.push_back(value);
        pthread_mutex_unlock(&destroyedLock);
    };
    if (!CHECK_EQ(pthread_key_create(&key, destructor), 0))
        return;
    int values[3] = {};
    OnThreads(4, [&](int i) {
        CHECK(pthread_getspecific(key) == nullptr);
        if (i < 3) { // the fourth thread leaves its key empty
            CHECK_EQ(pthread_setspecific(key, &values[i]), 0);
            CHECK(pthread_getspecific(key) == &values[i]);
        }
    });
    CHECK_EQ(destroyed.size(), 3u);
    for (int& v : values)
        CHECK(std::find(destroyed.begin(), destroyed.end(), &v) != destroyed.end());
}

void AMutexFromItsStaticValueKeepsThreadsApart() {
    std::intptr_t mutex = -1; // PTHREAD_MUTEX_INITIALIZER
    long long count = 0;      // no atomic: only the mutex keeps the increments whole
    OnThreads(4, [&](int) {
        for (int i = 0; i < 5000; ++i) {
            pthread_mutex_lock(&mutex);
            const long long before = count;
            if (i % 64 == 0)
                (void)SwitchToThread(); // another thread would come in here without the lock
            count = before + 1;
            pthread_mutex_unlock(&mutex);
        }
    });
    CHECK_EQ(count, 20000);
}

void ExceptionsOnSeveralThreadsAtOnceKeepTheirOwnState() {
    LONG right = 0;
    OnThreads(6, [&](int t) {
        int caught = 0;
        for (int i = 0; i < 500; ++i) {
            try {
                try {
                    throw std::runtime_error(std::to_string(t * 1000 + i));
                } catch (const std::exception&) {
                    // A second exception in flight on this thread while the first is handled.
                    try {
                        throw i;
                    } catch (int j) {
                        caught += j == i;
                    }
                    throw;
                }
            } catch (const std::runtime_error& e) {
                caught += std::string(e.what()) == std::to_string(t * 1000 + i);
            }
        }
        if (caught == 1000 && std::uncaught_exceptions() == 0)
            InterlockedIncrement(&right);
    });
    CHECK_EQ(right, 6);
}

} // namespace

int main() {
    OnceRunsItsFunctionOnceAndEveryCallerReturnsAfterIt();
    AKeysDestructorRunsAtAThreadsEndForItsValueOnly();
    AMutexFromItsStaticValueKeepsThreadsApart();
    ExceptionsOnSeveralThreadsAtOnceKeepTheirOwnState();
    std::printf("%s\n", failures == 0 ? "all checks passed" : "checks failed");
    return failures == 0 ? 0 : 1;
}
