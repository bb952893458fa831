// When the program's views (document windows, group list, map) are brought up to date. Operations
// ask for a refresh; the main window does it once, later, when nothing holds the views still: while
// the program starts or shuts down, and while a scoped Hold lives (a document opening, a window
// being switched to, a paint under way).
#pragma once

#include <utility>

namespace qv {

class ViewRefresh {
  public:
    // Holds the views still for as long as it lives.
    class Hold {
      public:
        explicit Hold(ViewRefresh& refresh) : refresh_(&refresh) { ++refresh_->holds_; }
        ~Hold() {
            if (refresh_) --refresh_->holds_;
        }
        Hold(Hold&& other) noexcept : refresh_(std::exchange(other.refresh_, nullptr)) {}
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Hold& operator=(Hold&&) = delete;

      private:
        ViewRefresh* refresh_;
    };

    [[nodiscard]] Hold HoldViews() { return Hold(*this); }
    // Held from the start until Started, and again from Stopping on.
    bool Held() const { return !running_ || holds_ > 0; }
    void Started() { running_ = true; }
    void Stopping() { running_ = false; }

    void Request() { pending_ = true; }
    bool Pending() const { return pending_; }
    // The refresh was done (or is not wanted any more).
    void Done() { pending_ = false; }

  private:
    bool running_ = false;
    int holds_ = 0;
    bool pending_ = false;
};

}  // namespace qv
