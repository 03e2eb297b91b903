#include "files/ConvertFiles.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace tidewell {

namespace {

// The messages of a file converted on another thread, kept until the caller's thread shows them.
class HeldMessages : public Prompter {
  public:
    std::vector<std::string> texts;
    void ShowMessage(const std::string& text) override { texts.push_back(text); }
    int Ask(const std::string& text, const std::vector<std::string>&) override {
        texts.push_back(text);
        return 1;
    }
    std::string AskSavePath(const std::string&, const std::string& suggested,
                            const std::string&) override {
        return suggested;
    }
};

int64_t ProgressRange(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(std::filesystem::path(path), ec);
    return (ec ? 0 : static_cast<int64_t>(size)) + 128;
}

int ConvertOne(const FileConversion& file, const ConvertFilesOptions& options,
               const CalibrationDataClass& calibration, const Clock& clock, Prompter& prompter,
               const ConversionControl& control, ConversionReport& report) {
    if (options.kind == OutputKind::kDecimal)
        return ConvertRawToDecimal(file.input, file.output, options.withHousekeeping, prompter,
                                   control, &report);
    return ConvertRawToDat(file.input, file.output, calibration, options.header, clock.Now(),
                           prompter, control, &report);
}

void Tally(ConvertFilesResult& result, int error, const ConversionReport& report) {
    if (error != 0)
        ++result.failed;
    else if (report.cancelled)
        result.cancelled = true;
    else
        ++result.converted;
}

struct FileState {
    std::atomic<int64_t> position{0};
    bool started = false;  // guarded by the runner's mutex, as is `done`
    bool done = false;
    int error = 0;
    ConversionReport report;
    HeldMessages messages;
};

class Runner {
  public:
    Runner(const std::vector<FileConversion>& files, const ConvertFilesOptions& options,
           const CalibrationDataClass& calibration, const Clock& clock, Prompter& prompter,
           ConvertFilesObserver* observer, const std::atomic<int>* cancel)
        : files_(files),
          options_(options),
          calibration_(calibration),
          clock_(clock),
          prompter_(prompter),
          observer_(observer),
          cancel_(cancel) {
        for (const auto& f : files) {
            ranges_.push_back(ProgressRange(f.input));
            total_ += ranges_.back();
        }
    }

    ConvertFilesResult Sequential() {
        int64_t doneBytes = 0;
        for (size_t i = 0; i < files_.size(); ++i) {
            if (Cancelled()) {
                result_.cancelled = true;
                result_.notStarted = files_.size() - i;
                break;
            }
            ConversionControl control;
            control.cancel = cancel_;
            if (observer_ != nullptr)
                control.progress = [&, i](int64_t position, int64_t) {
                    observer_->Progress(
                        {i, files_.size(), doneBytes + std::min(position, ranges_[i]), total_});
                };
            ConversionReport report;
            const int error =
                ConvertOne(files_[i], options_, calibration_, clock_, prompter_, control, report);
            doneBytes += ranges_[i];
            Finish(i, error, report);
        }
        return result_;
    }

    ConvertFilesResult Parallel(size_t threads) {
        states_.clear();
        for (size_t i = 0; i < files_.size(); ++i) states_.push_back(std::make_unique<FileState>());
        running_ = threads;
        std::vector<std::thread> workers;
        for (size_t t = 0; t < threads; ++t) workers.emplace_back([this] { Work(); });

        size_t shown = 0;  // files before this one are reported
        int64_t shownBytes = 0;
        for (bool last = false; !last;) {
            std::vector<size_t> ready;
            {
                std::unique_lock lock(mutex_);
                wake_.wait_for(lock, std::chrono::milliseconds(100), [&] {
                    return running_ == 0 || (shown < states_.size() && states_[shown]->done);
                });
                last = running_ == 0;
                while (shown < states_.size() && states_[shown]->done) ready.push_back(shown++);
                if (last) {
                    // A worker may have taken a later file just before the cancel; report it
                    // and count the files no one started.
                    for (; shown < states_.size(); ++shown) {
                        if (states_[shown]->done)
                            ready.push_back(shown);
                        else
                            ++result_.notStarted;
                    }
                }
            }
            for (size_t i : ready) {
                FileState& s = *states_[i];
                for (const auto& text : s.messages.texts) prompter_.ShowMessage(text);
                shownBytes += ranges_[i];
                Finish(i, s.error, s.report);
            }
            if (observer_ != nullptr) observer_->Progress(Overall(shown, shownBytes));
        }
        for (auto& w : workers) w.join();
        if (result_.notStarted > 0) result_.cancelled = true;
        return result_;
    }

  private:
    bool Cancelled() const {
        return cancel_ != nullptr && cancel_->load(std::memory_order_relaxed) == -1;
    }

    void Finish(size_t index, int error, const ConversionReport& report) {
        Tally(result_, error, report);
        if (observer_ != nullptr) observer_->FileDone(index, error, report);
    }

    void Work() {
        // Each job converts with a calibration of its own.
        const CalibrationDataClass calibration = calibration_;
        for (;;) {
            const size_t i = next_.fetch_add(1);
            if (i >= files_.size() || Cancelled()) break;
            FileState& s = *states_[i];
            {
                std::lock_guard lock(mutex_);
                s.started = true;
            }
            ConversionControl control;
            control.cancel = cancel_;
            control.progress = [&s](int64_t position, int64_t) {
                s.position.store(position, std::memory_order_relaxed);
            };
            s.error =
                ConvertOne(files_[i], options_, calibration, clock_, s.messages, control, s.report);
            {
                std::lock_guard lock(mutex_);
                s.done = true;
            }
            wake_.notify_all();
        }
        {
            std::lock_guard lock(mutex_);
            --running_;
        }
        wake_.notify_all();
    }

    ConvertFilesProgress Overall(size_t shown, int64_t shownBytes) {
        int64_t position = shownBytes;
        std::lock_guard lock(mutex_);
        for (size_t i = shown; i < states_.size(); ++i) {
            const FileState& s = *states_[i];
            if (s.done)
                position += ranges_[i];
            else if (s.started)
                position += std::min(s.position.load(std::memory_order_relaxed), ranges_[i]);
        }
        return {shown, files_.size(), position, total_};
    }

    const std::vector<FileConversion>& files_;
    const ConvertFilesOptions& options_;
    const CalibrationDataClass& calibration_;
    const Clock& clock_;
    Prompter& prompter_;
    ConvertFilesObserver* observer_;
    const std::atomic<int>* cancel_;
    std::vector<int64_t> ranges_;
    int64_t total_ = 0;
    ConvertFilesResult result_;

    std::vector<std::unique_ptr<FileState>> states_;
    std::atomic<size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    size_t running_ = 0;
};

}  // namespace

const char* OutputExtension(OutputKind kind) {
    return kind == OutputKind::kDecimal ? ".dec" : ".dat";
}

ConvertFilesResult ConvertFiles(const std::vector<FileConversion>& files,
                                const ConvertFilesOptions& options, Prompter& prompter,
                                ConvertFilesObserver* observer, const std::atomic<int>* cancel) {
    const SystemClock systemClock;
    const Clock& clock = options.clock != nullptr ? *options.clock : systemClock;
    // Without a calibration the calibrated output has only an "unknown" header.
    const CalibrationDataClass empty;
    const CalibrationDataClass& calibration =
        options.calibration != nullptr ? *options.calibration : empty;
    Runner runner(files, options, calibration, clock, prompter, observer, cancel);
    const size_t threads = std::min(files.size(), static_cast<size_t>(std::max(options.jobs, 1)));
    return threads > 1 ? runner.Parallel(threads) : runner.Sequential();
}

}  // namespace tidewell
