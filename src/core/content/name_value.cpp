#include "core/content/name_value.h"

#include "core/text/sjis.h"

namespace qv {

std::string_view LookupValue(const NameValueList& list, std::string_view name) {
    for (const auto& entry : list) {
        if (sjis::EqualsNoCase(entry.Name, name)) return entry.Value;
    }
    return {};
}

}  // namespace qv
