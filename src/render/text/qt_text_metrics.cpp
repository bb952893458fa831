#include "render/text/qt_text_metrics.h"

namespace qv {

int QtTextMetrics::TextWidth(FragmentKind kind, std::string_view text) const {
    return fonts_.Face(env_, kind).Width(text);
}

int QtTextMetrics::LineHeight(FragmentKind kind) const {
    return fonts_.Face(env_, kind).LineHeight();
}

}  // namespace qv
