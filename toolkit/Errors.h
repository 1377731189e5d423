// The toolkit's error kinds. Every error the program raises on purpose derives from
// toolkit::Exception; the general error report shows its message. Portable.
//
// Exception holds its message itself rather than deriving from std::runtime_error: the standard
// library's exception classes keep theirs in a second, reference-counted string type, and a
// statically linked exe that constructs one carries that whole string implementation (about
// 50 KB with what it drags in; see LibraryThrows.cpp).
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace toolkit {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A platform resource could not be had (the notification icon, a window, a timer).
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// The settings file could not be written: "Unable to write to <path>".
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// A registry value could not be read or written.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

} // namespace toolkit
