#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "stream/Decoder.h"

namespace tidewell::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tidewell-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path_ = made ? made : pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string DataPath(const std::string& name) {
    return std::string(TIDEWELL_TEST_DATA) + "/" + name;
}

std::vector<std::string> CutAtReturns(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (char c : text) {
        if (c == '\r') {
            lines.push_back(current);
            current.clear();
        } else if (!(c == '\n' && current.empty())) {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

std::vector<std::string> SampleLines(const std::string& text) {
    std::vector<std::string> samples;
    for (const std::string& line : CutAtReturns(text)) {
        const int kind = ClassifyLine(line);
        if (kind != kOtherLine && kind != kHPacket && kind != kIPacket) samples.push_back(line);
    }
    return samples;
}

std::vector<std::string> DataRows(const std::string& dat) {
    const size_t at = dat.find("[Data]\r\n");
    return at == std::string::npos ? std::vector<std::string>() : CutAtReturns(dat.substr(at + 8));
}

SigmaParams NumericSigmaParams() {
    SigmaParams p;
    p.aStar = 0.04;
    p.aStarFile.clear();
    return p;
}

}  // namespace tidewell::test
