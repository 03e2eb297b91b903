#pragma once
// Helpers shared by the test programs.

#include <deque>
#include <string>
#include <vector>

#include "calibration/SigmaParams.h"
#include "stream/Prompter.h"

namespace tidewell::test {

// Texts shown, lines read, names listed.
using Texts = std::vector<std::string>;

// Answers questions from a script and keeps every text it was shown, in order.
class ScriptedPrompter : public Prompter {
  public:
    std::vector<std::string> shown;     // messages and questions, in order
    std::deque<int> answers;            // answers to Ask, in order (default 1 when empty)
    std::deque<std::string> savePaths;  // answers to AskSavePath (default: the suggestion)
    std::deque<int> saveTypes;  // file types chosen in AskSavePathAndType (default: as shown)

    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    int Ask(const std::string& text, const std::vector<std::string>&) override {
        shown.push_back(text);
        if (answers.empty()) return 1;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string AskSavePath(const std::string& title, const std::string& suggested,
                            const std::string&) override {
        shown.push_back(title);
        if (savePaths.empty()) return suggested;
        std::string p = savePaths.front();
        savePaths.pop_front();
        return p;
    }
    std::string AskSavePathAndType(const std::string& title, const std::string& suggested,
                                   const std::string& fileTypes, int& fileType) override {
        if (!saveTypes.empty()) {
            fileType = saveTypes.front();
            saveTypes.pop_front();
        }
        return AskSavePath(title, suggested, fileTypes);
    }
};

// A fresh empty folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Whole file as bytes ("" when it cannot be read), and writing bytes to a file.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Path of a file under tests/data.
std::string DataPath(const std::string& name);

// The lines of a text cut at carriage returns (a line feed after one dropped), and those of
// them that the decoder takes for samples.
std::vector<std::string> CutAtReturns(const std::string& text);
std::vector<std::string> SampleLines(const std::string& text);
inline int CountSampleLines(const std::string& text) {
    return static_cast<int>(SampleLines(text).size());
}
// The rows of a calibrated file: its lines after its "[Data]" line (none without one).
std::vector<std::string> DataRows(const std::string& dat);

// Sigma parameters that need no table file: a* of 0.04 as a number.
SigmaParams NumericSigmaParams();

}  // namespace tidewell::test
