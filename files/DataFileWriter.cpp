#include "files/DataFileWriter.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tidewell {

namespace {
// Rows are short and many; a large stdio buffer turns them into few system calls.
constexpr size_t kWriteBufferSize = 1 << 16;

// The error of the call that just failed; errno is cleared before each call, so a stale value
// is never told.
int LastError() {
    return errno != 0 ? errno : EIO;
}

// Has the system put the file's data on the disk. A file that cannot be synchronised (a device,
// some network folders) counts as synchronised.
bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0 || errno == EINVAL || errno == ENOTSUP;
#endif
}
}  // namespace

// The writing thread of a writer in write-behind mode. The caller fills one block; full blocks
// wait in a short queue for the thread, which writes them in order and keeps the error of the
// first write that failed (writing no more after it).
class DataFileWriter::Behind {
  public:
    explicit Behind(std::FILE* file) : file_(file), thread_([this] { Run(); }) {
        block_.reserve(kBlockSize);
    }
    ~Behind() {
        Drain();
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void Write(std::string_view text) {
        block_.append(text);
        if (block_.size() >= kBlockSize) HandOver();
    }

    // Hands over the last block and waits until everything is written; the error number of the
    // first failed write, or 0.
    int Drain() {
        if (!block_.empty()) HandOver();
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queue_.empty() && !writing_; });
        return error_;
    }

    bool Failed() const { return failed_.load(std::memory_order_acquire); }

  private:
    static constexpr size_t kBlockSize = size_t{1} << 19;
    // Blocks waiting at most: beyond them the caller waits for the disk.
    static constexpr size_t kQueued = 2;

    void HandOver() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < kQueued; });
        queue_.push_back(std::move(block_));
        block_ = std::move(spare_);  // the block written last, emptied, or a new one
        lock.unlock();
        changed_.notify_all();
        block_.clear();
        block_.reserve(kBlockSize);
    }

    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            std::string block = std::move(queue_.front());
            queue_.pop_front();
            writing_ = true;
            const bool skip = error_ != 0;
            lock.unlock();
            changed_.notify_all();
            int error = 0;
            errno = 0;
            // Each block goes to the system at once, so that its failure is this thread's to tell.
            if (!skip && (std::fwrite(block.data(), 1, block.size(), file_) != block.size() ||
                          std::fflush(file_) != 0))
                error = LastError();
            lock.lock();
            writing_ = false;
            if (error != 0 && error_ == 0) {
                error_ = error;
                failed_.store(true, std::memory_order_release);
            }
            spare_ = std::move(block);
            changed_.notify_all();
        }
    }

    std::FILE* const file_;
    std::string block_;  // filled by the caller
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queue_;
    std::string spare_;
    bool writing_ = false;
    bool stopping_ = false;
    int error_ = 0;
    std::atomic<bool> failed_{false};
    std::thread thread_;  // last, so that it starts when all the rest is ready
};

std::string SystemErrorText(int number) {
    std::string text = std::strerror(number);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string OpenErrorText(const std::string& path, const std::string& description) {
    return "Error opening " + path + ": " + description + ".";
}

std::string WriteErrorText(const std::string& path, const std::string& description) {
    return "Error writing " + path + ": " + description + ".";
}

DataFileWriter::DataFileWriter() = default;

DataFileWriter::~DataFileWriter() {
    Close();
}

DataFileWriter::DataFileWriter(DataFileWriter&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      buffer_(std::move(other.buffer_)),
      behind_(std::move(other.behind_)),
      path_(std::move(other.path_)),
      row_(std::move(other.row_)),
      errorNumber_(other.errorNumber_),
      errorText_(std::move(other.errorText_)),
      writeFailed_(other.writeFailed_),
      failureTaken_(other.failureTaken_) {}

DataFileWriter& DataFileWriter::operator=(DataFileWriter&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
        buffer_ = std::move(other.buffer_);
        behind_ = std::move(other.behind_);
        path_ = std::move(other.path_);
        row_ = std::move(other.row_);
        errorNumber_ = other.errorNumber_;
        errorText_ = std::move(other.errorText_);
        writeFailed_ = other.writeFailed_;
        failureTaken_ = other.failureTaken_;
    }
    return *this;
}

bool DataFileWriter::Open(const std::string& path, Mode mode) {
    Close();
    errorNumber_ = 0;
    errorText_.clear();
    writeFailed_ = false;
    failureTaken_ = false;
    path_ = path;
    errno = 0;
    file_ = std::fopen(path.c_str(), mode == Mode::kAppend ? "ab" : "wb");
    if (file_ == nullptr) {
        NoteError(LastError());
        return false;
    }
    if (!buffer_) buffer_ = std::make_unique<char[]>(kWriteBufferSize);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kWriteBufferSize);
    return true;
}

void DataFileWriter::WriteBehind() {
    if (file_ != nullptr && !behind_) behind_ = std::make_unique<Behind>(file_);
}

void DataFileWriter::DrainBehind() {
    if (!behind_) return;
    if (const int error = behind_->Drain(); error != 0 && !writeFailed_) {
        writeFailed_ = true;
        NoteError(error);
    }
}

bool DataFileWriter::Flush() {
    DrainBehind();
    errno = 0;
    if (file_ != nullptr && std::fflush(file_) != 0) NoteWriteFailure();
    return !writeFailed_;
}

bool DataFileWriter::Sync() {
    if (Flush() && file_ != nullptr) {
        errno = 0;
        if (!SyncToDisk(file_)) NoteWriteFailure();
    }
    return !writeFailed_;
}

bool DataFileWriter::Close() {
    if (file_ == nullptr) return !writeFailed_;
    DrainBehind();
    behind_.reset();
    errno = 0;
    if (std::fclose(file_) != 0) NoteWriteFailure();
    file_ = nullptr;
    return !writeFailed_;
}

void DataFileWriter::Write(std::string_view text) {
    if (file_ == nullptr || text.empty()) return;
    if (behind_) {
        if (behind_->Failed()) {
            DrainBehind();  // takes the failure over; the output is lost anyway
            return;
        }
        behind_->Write(text);
        return;
    }
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) NoteWriteFailure();
}

void DataFileWriter::WriteLine(std::string_view text) {
    if (file_ == nullptr) return;
    Write(text);
    Write("\r\n");
}

bool DataFileWriter::TakeNewFailure() {
    if (!writeFailed_ || failureTaken_) return false;
    failureTaken_ = true;
    return true;
}

void DataFileWriter::NoteError(int number) {
    errorNumber_ = number;
    errorText_ = SystemErrorText(number);
}

void DataFileWriter::NoteWriteFailure() {
    if (writeFailed_) return;
    writeFailed_ = true;
    NoteError(LastError());
}

}  // namespace tidewell
