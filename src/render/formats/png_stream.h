// A PNG file written row by row with libpng, so that a page image of any height never needs a
// bitmap of its own: the banded renderer hands its bands over as they are painted.
#pragma once

#include <QImage>
#include <cstddef>
#include <functional>
#include <memory>

namespace qv {

class PngStreamEncoder {
  public:
    // Returns false when the bytes could not be taken (the encoding stops).
    using Sink = std::function<bool(const char* data, std::size_t size)>;

    PngStreamEncoder();
    ~PngStreamEncoder();
    PngStreamEncoder(const PngStreamEncoder&) = delete;
    PngStreamEncoder& operator=(const PngStreamEncoder&) = delete;

    // An 8-bit RGB image, width and height 1 … 2^31 - 1 (and width × 3 addressable).
    bool Start(int width, int height, Sink sink);
    // The next `rows` rows, from the top of `band` (Format_RGB32, the image's width).
    bool WriteRows(const QImage& band, int rows);
    // After the last row: writes the end of the file.
    bool Finish();

    struct State;  // libpng's state, behind the header

  private:
    std::unique_ptr<State> state_;
};

}  // namespace qv
