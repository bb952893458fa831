// The modified flag of a document, with a count of changes: every time the flag is set the count
// goes up, so a copy made at one count is known to be behind once the count has moved on, even
// when the flag was already set. Reads and assigns like the bool it replaces.
#pragma once

#include <cstdint>

namespace qv {

class ChangeFlag {
  public:
    ChangeFlag() = default;
    ChangeFlag(const ChangeFlag&) = delete;
    ChangeFlag& operator=(const ChangeFlag&) = delete;

    // Setting the flag counts as a change, whatever it was; clearing it (a save) does not.
    ChangeFlag& operator=(bool modified) {
        if (modified) ++generation_;
        modified_ = modified;
        return *this;
    }
    operator bool() const { return modified_; }  // NOLINT(google-explicit-constructor)

    // How many times the flag was set since the document was made.
    std::uint64_t Generation() const { return generation_; }

  private:
    bool modified_ = false;
    std::uint64_t generation_ = 0;
};

}  // namespace qv
