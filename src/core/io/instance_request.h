// What a later start of the program sends to the running one: the document to open, and the
// answer that says it arrived. The request is the path as a 4-byte big-endian length followed by
// its bytes (the layout a byte array takes in Qt's data streams, which earlier versions sent); an
// empty path (or the null length 0xFFFFFFFF) asks only to come to the front.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// The running program's answer once it has a whole, valid request.
inline constexpr char kInstanceRequestTaken = 'A';
// Paths longer than this are no request (a path is far shorter on every system).
inline constexpr std::size_t kMaxInstanceRequestPath = 64 * 1024;

std::string InstanceRequestBytes(std::string_view path);

struct InstanceRequest {
    enum class State {
        Incomplete,  // more bytes are needed
        Complete,    // Path holds the document (empty: none)
        Invalid,     // not a request: too long, trailing bytes, a NUL, a relative path
    };
    State Status = State::Incomplete;
    std::string Path;
};
// Reads the bytes received so far.
InstanceRequest ParseInstanceRequest(std::string_view bytes);

}  // namespace qv
