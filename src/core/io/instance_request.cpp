#include "core/io/instance_request.h"

#include <cstdint>

namespace qv {

std::string InstanceRequestBytes(std::string_view path) {
    const auto n = static_cast<std::uint32_t>(path.size());
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((n >> shift) & 0xFF);
    bytes += path;
    return bytes;
}

InstanceRequest ParseInstanceRequest(std::string_view bytes) {
    InstanceRequest r;
    if (bytes.size() < 4) return r;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n = (n << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    bytes.remove_prefix(4);
    if (n == 0xFFFFFFFFu) n = 0;
    if (n > kMaxInstanceRequestPath || bytes.size() > n) {
        r.Status = InstanceRequest::State::Invalid;
        return r;
    }
    if (bytes.size() < n) return r;
    if (bytes.find('\0') != std::string_view::npos || (n > 0 && bytes.front() != '/')) {
        r.Status = InstanceRequest::State::Invalid;
        return r;
    }
    r.Status = InstanceRequest::State::Complete;
    r.Path = std::string(bytes);
    return r;
}

}  // namespace qv
