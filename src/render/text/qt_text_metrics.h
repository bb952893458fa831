// The model's TextMetrics served by the real card fonts, so cards are measured with exactly the
// widths they are drawn with.
#pragma once

#include <string_view>

#include "core/model/ports.h"
#include "render/text/text_face.h"

namespace qv {

class EnvData;

class QtTextMetrics final : public TextMetrics {
  public:
    // Follows `env`: a changed font setting takes effect at the next call. `env` must outlive this.
    explicit QtTextMetrics(const EnvData& env) : env_(env) {}

    int TextWidth(FragmentKind kind, std::string_view text) const override;
    int LineHeight(FragmentKind kind) const override;

  private:
    const EnvData& env_;
    // Measuring fills the faces' glyph caches; that is no visible change of this object.
    mutable CardFonts fonts_;
};

}  // namespace qv
