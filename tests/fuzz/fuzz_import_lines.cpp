// Imports arbitrary text as lines into a document from the group the first byte names, then takes
// the clipboard text of everything and the export lines, checking what the model relies on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../unit/model/fakes.h"
#include "core/io/text_exchange.h"
#include "core/text/text_helpers.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int group = static_cast<int>(data[0]) - 20;  // also below 0 and above 100
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<std::string_view> lines = qv::SplitLines(text);

    qv::test::TestDoc doc;
    const int created = qv::ImportLines(doc.set, lines, group);
    Check(created == doc.set.Count() && created <= qv::kMaxFragments);
    Check(doc.set.Modified);
    for (const auto& f : doc.set.Fragments()) {
        Check(f->Group >= 0 && f->Group <= qv::kMaxGroup);
        Check(f->Text.find_first_of("\r\n") == std::string::npos);
        Check(f->Kind != qv::FragmentKind::NamePlate || f->Group != qv::kNoGroup);
        Check(doc.set.GroupTable[static_cast<std::size_t>(f->Group)].Shown);
    }

    doc.set.SelectAll(true);
    const std::string clip = qv::ClipboardText(doc.set);
    Check(created == 0 || !clip.empty());
    const std::vector<std::string> exported = qv::ExportLines(doc.set);
    Check(created == 0 || !exported.empty());

    // What was exported imports again without trouble.
    std::vector<std::string_view> views(exported.begin(), exported.end());
    qv::test::TestDoc back;
    qv::ImportLines(back.set, views, 0);
    Check(back.set.Count() <= qv::kMaxFragments);
    return 0;
}
