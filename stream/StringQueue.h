#pragma once
// A ring buffer of texts: the data window's line queue, the terminal's display queue and the
// cast-list queue. When full, adding drops the oldest entry, so a queue of MaxSize n holds at
// most n - 1 entries.

#include <string>
#include <vector>

namespace tidewell {

class StringQueue {
  public:
    StringQueue();

    // Stores the text; when that fills the ring, the oldest entry is dropped.
    void Add(std::string it);
    // Entries waiting.
    int size() const;
    // The oldest entry, removed from the queue; "" when the queue is empty.
    std::string GetNext();
    // A new capacity: every entry is lost. The read and write positions stay where they were
    // (brought back into the new ring when they lie beyond it), so set it once, right after
    // creating the queue.
    void MaxSize(int maxSize);
    // Takes entries until none is left.
    void Clear();

  private:
    int maxSize_ = 10;
    std::vector<std::string> items_;  // indexes 0 to MaxSize
    int readIndex_ = 0;
    int writeIndex_ = 0;
};

}  // namespace tidewell
