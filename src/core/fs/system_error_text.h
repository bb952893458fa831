// The system's own description of an errno value, for failure messages.
#pragma once

#include <string>
#include <system_error>

namespace qv {

inline std::string SystemErrorText(int err) {
    return std::system_category().message(err);
}

}  // namespace qv
