// What a later start sends may be any bytes (any program of the user can connect): reading it
// must never crash, a request taken must be an absolute path or none, and it must read back the
// same when sent again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/io/instance_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qv::InstanceRequest request = qv::ParseInstanceRequest(bytes);
    if (request.Status != qv::InstanceRequest::State::Complete) {
        if (!request.Path.empty()) std::abort();
        return 0;
    }
    const std::string& path = request.Path;
    if (path.size() > qv::kMaxInstanceRequestPath || path.find('\0') != std::string::npos ||
        (!path.empty() && path.front() != '/'))
        std::abort();
    const qv::InstanceRequest again = qv::ParseInstanceRequest(qv::InstanceRequestBytes(path));
    if (again.Status != qv::InstanceRequest::State::Complete || again.Path != path) std::abort();
    // Any shorter piece of a request is still waiting for the rest.
    if (bytes.size() > 0 &&
        qv::ParseInstanceRequest(bytes.substr(0, bytes.size() - 1)).Status !=
            qv::InstanceRequest::State::Incomplete)
        std::abort();
    return 0;
}
