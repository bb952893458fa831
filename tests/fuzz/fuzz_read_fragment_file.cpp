// Reads arbitrary bytes as a fragment file (or, without the header, as a foreign CSV), opening a
// new document or merging into a small one, then checks that what was read saves in a form that
// reads back to exactly the same file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "../unit/model/fakes.h"
#include "core/io/fragment_file.h"

namespace {

constexpr std::string_view kBase =
    "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"
    "\"plate\",-2,10,10,10,1,0,12632256,\r\n"
    "\"a\",2,10,40,12,3,0,16777215,/a.txt\r\n"
    "\"b\",3,300,40,12,3,0,16777215,\r\n"
    "#x,2002,2,3,3,0,0,0,\r\n";

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool merge = (size & 1) != 0;
    const bool fragmentFile =
        qv::IsFragmentFileHeader(bytes.substr(0, bytes.find_first_of("\r\n")));

    qv::test::TestDoc doc;
    if (merge) qv::ReadFragmentBytes(doc.set, kBase, true, false);
    qv::ReadFragmentBytes(doc.set, bytes, fragmentFile, merge);
    Check(doc.set.Count() <= qv::kMaxFragments);
    for (const auto& f : doc.set.Fragments())
        Check(f->Group >= 0 && f->Group <= qv::kMaxGroup);
    for (const auto& line : doc.set.GroupLines)
        Check(line.Type >= 1 && line.Type <= 4 && line.Width >= -1 && line.Width <= 9 &&
              line.Width != 0);

    // Once written, a document reads back to the same file.
    const std::string first = qv::FragmentFileText(doc.set);
    qv::test::TestDoc again;
    qv::ReadFragmentBytes(again.set, first, true, false);
    Check(again.set.Count() == doc.set.Count());
    Check(qv::FragmentFileText(again.set) == first);
    return 0;
}
