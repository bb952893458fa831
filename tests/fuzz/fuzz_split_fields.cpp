// Splitting arbitrary lines must never crash or read out of bounds, and the fields found can never
// be more than asked for nor longer in total than the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/text/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields;
    std::size_t found = qv::SplitFields(line, 104, fields);
    if (found > 104 || fields.size() != 104) std::abort();
    std::size_t total = 0;
    for (const auto& f : fields)
        total += f.size();
    if (total > size) std::abort();
    std::string trimmed = qv::TrimBlanks(line);
    if (trimmed.size() > size) std::abort();
    qv::ReplaceAll(line, "\x81\x5F", "\r\n");
    return 0;
}
