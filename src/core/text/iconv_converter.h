// One iconv conversion descriptor. Conversions happen at user-interface speed, so callers open one
// per call, which keeps them free of shared state.
#pragma once

#include <iconv.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace qv {

class IconvConverter {
  public:
    // Opens the conversion from the first of the `from` encodings the system knows.
    IconvConverter(const char* to, std::initializer_list<const char*> from);
    IconvConverter(const char* to, const char* from) : IconvConverter(to, {from}) {}
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // False when the system knows none of the encodings asked for.
    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `in` as possible, appending to `out`. Returns true when all of `in` was
    // converted; false at an invalid or unconvertible sequence, which `in` then starts with.
    bool Convert(std::string_view& in, std::string& out);

    // Back to the initial shift state, after skipping a bad sequence.
    void Reset();

  private:
    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

}  // namespace qv
