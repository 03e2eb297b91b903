#pragma once
// Cuts the text an instrument sends into lines at carriage returns. Text arrives in chunks of
// any size; a line without its carriage return waits for the rest, and a line feed directly
// after a carriage return (or at the very start) is dropped, so CR and CR LF both end a line.
// Every way of chunking the same text gives the same lines.

#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

class LineCutter {
  public:
    // Adds text after what is waiting.
    void Append(std::string_view chunk);
    // The next complete line without its carriage return, or nothing when the rest has no
    // carriage return yet.
    std::optional<std::string> NextLine();
    // The text received and not yet cut into lines.
    std::string_view Pending() const { return std::string_view(text_).substr(start_); }
    bool Empty() const { return start_ >= text_.size(); }
    // Drops everything waiting (the text went elsewhere: a configuration dump, a block
    // transfer).
    void Clear();

  private:
    void DropLineFeedAtLineStart();

    std::string text_;
    size_t start_ = 0;         // where the pending text begins in text_
    bool atLineStart_ = true;  // nothing of the current line has been seen yet
};

}  // namespace tidewell
