// The toolkit's error kinds. Every error the program raises on purpose derives from
// toolkit::Exception; the general error report shows its message. Portable.
#pragma once

#include <stdexcept>
#include <string>

namespace toolkit {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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
