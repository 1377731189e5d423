// The standard library's containers and strings report misuse (a length beyond max_size, an
// index out of range) through these helpers. The library's own versions construct
// std::logic_error and its kin, which keep their message in the library's second, reference-
// counted string type; in a statically linked exe that brings in both string implementations
// and what they depend on, about 50 KB of the shipped exe. Defined here, the linker takes ours
// and leaves the library's out. They throw toolkit::Exception with the library's message: nothing
// in the program tells these errors apart, and the general error report shows every one by its
// message, as before.
#include "toolkit/Errors.h"

#include <new>
#include <typeinfo>

namespace {
// One place that throws: each helper below is then a jump to it.
[[noreturn]] __attribute__((noinline)) void Raise(const char* what) {
    throw toolkit::Exception(what);
}
} // namespace

namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}
void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_logic_error(const char* what) {
    Raise(what);
}
void __throw_domain_error(const char* what) {
    Raise(what);
}
void __throw_invalid_argument(const char* what) {
    Raise(what);
}
void __throw_length_error(const char* what) {
    Raise(what);
}
void __throw_out_of_range(const char* what) {
    Raise(what);
}
// The library passes a printf format with the index and size; its text is enough here.
void __throw_out_of_range_fmt(const char* what, ...) {
    Raise(what);
}
void __throw_runtime_error(const char* what) {
    Raise(what);
}
void __throw_range_error(const char* what) {
    Raise(what);
}
void __throw_overflow_error(const char* what) {
    Raise(what);
}
void __throw_underflow_error(const char* what) {
    Raise(what);
}
} // namespace std
