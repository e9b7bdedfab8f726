#pragma once

#include <exception>

namespace zelt {

// The silent abort: an operation that throws EAbort ends without any message.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace zelt
