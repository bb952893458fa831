// Reads arbitrary bytes as a JSON Canvas into a new document, then checks the document keeps the
// model's limits and that what was read saves in a form that reads back to the same file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "../unit/model/fakes.h"
#include "core/io/canvas_import.h"
#include "core/io/fragment_file.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qv::test::TestDoc doc;
    const qv::ReadResult r = qv::ReadCanvasBytes(doc.set, bytes, "/c", (size & 1) ? "/d" : "/c");
    if (r.Status == qv::ReadStatus::Unreadable) {
        Check(doc.set.Count() == 0 && !r.Why.empty());
        return 0;
    }
    Check(doc.set.Count() <= qv::kMaxFragments);
    for (const auto& f : doc.set.Fragments()) {
        Check(f->Group >= 0 && f->Group <= qv::kMaxGroup);
        Check(f->Left >= 0 && f->Top >= 0 && f->Right <= qv::kMaxPageSide);
        Check(f->Columns >= 1 && f->Lines >= 1);
    }
    for (const auto& line : doc.set.GroupLines)
        Check(line.From != line.To && line.Type >= 1 && line.Type <= 4);

    const std::string first = qv::FragmentFileText(doc.set);
    qv::test::TestDoc again;
    qv::ReadFragmentBytes(again.set, first, true, false);
    Check(qv::FragmentFileText(again.set) == first);
    return 0;
}
