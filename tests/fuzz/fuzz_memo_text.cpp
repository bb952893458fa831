// Whatever the user types or pastes: converting it for a card never crashes, the byte limit always
// holds for an insertion into a text within the limit, and the kept text is valid input again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/dialogs/memo_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t half = size / 2;
    const std::string_view before = all.substr(0, half);
    const std::string_view after = all.substr(half);
    const qv::CardTextConversion card = qv::MemoToCardText(after, "\x81\x5f");
    if (card.Text.size() > 2 * after.size()) std::abort();
    (void)qv::CardTextToMemo(card.Text, "\x81\x5f");
    (void)qv::ClipboardToCp932(all);
    int caret = 0;
    constexpr std::size_t kLimit = 40;
    const std::string kept = qv::LimitInsertion(before, after, kLimit, caret);
    if (qv::Cp932Length(before) <= kLimit && qv::Cp932Length(kept) > kLimit) std::abort();
    return 0;
}
