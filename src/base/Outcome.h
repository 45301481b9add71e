#pragma once
// Outcome: what a step that can fail gives back. Either it was done, or it
// failed for a reason: one English line a player can act on, naming the
// thing and what went wrong ("could not open /x/a.ogg: No such file or
// directory"). Every step in the game that fails with a reason answers
// this way; one that cannot say why answers with a plain bool.

#include <string>
#include <utility>

namespace base {

class [[nodiscard]] Outcome {
public:
    Outcome() = default;  // done

    static Outcome Failed(std::string reason) {
        Outcome failed;
        failed.failed_ = true;
        failed.reason_ = std::move(reason);
        return failed;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Empty when it was done.
    const std::string& reason() const { return reason_; }

private:
    bool failed_ = false;
    std::string reason_;
};

}  // namespace base
