// Writing data files, header texts, path rules and the temporary folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "files/DataFileWriter.h"
#include "files/FilePaths.h"
#include "files/HeaderText.h"
#include "files/TempFolder.h"
#include "stream/DateValue.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

namespace fs = std::filesystem;

TEST(DataFileWriter, BytesAsGivenAppendingAndErrors) {
    TempDir dir;
    const std::string path = dir.File("w.dat");
    {
        DataFileWriter file;
        ASSERT_TRUE(file.Open(path));
        file.WriteLine("a\xe9");
        file.Write("b\n");
    }
    {
        DataFileWriter file;
        ASSERT_TRUE(file.Open(path, DataFileWriter::Mode::kAppend));
        file.Write("c");
    }
    EXPECT_EQ(ReadFileBytes(path), "a\xe9\r\nb\nc");
    DataFileWriter file;
    ASSERT_TRUE(file.Open(path));  // truncates
    file.Close();
    EXPECT_EQ(ReadFileBytes(path), "");

    // Written behind on the writer's own thread, through several blocks: the same bytes in the
    // same order.
    std::string rows;
    for (int n = 0; rows.size() < 3000000; ++n) rows += std::to_string(n) + ",row\r\n";
    ASSERT_TRUE(file.Open(path));
    file.WriteBehind();
    for (size_t at = 0; at < rows.size(); at += 1000) file.Write(rows.substr(at, 1000));
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(ReadFileBytes(path) == rows);

    EXPECT_FALSE(file.Open(dir.File("none/w.dat")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.ErrorNumber(), 2);
    EXPECT_EQ(file.ErrorText(), "No such file or directory");
    file.Write("ignored");  // a closed writer takes writes silently
}

TEST(FilePaths, NamesAndFolders) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/d/cast.raw", "/d/cast", "cast.raw"},
        {"/d.x/cast", "/d.x/cast", "cast"},
        {"cast.tar.raw", "cast.tar", "cast.tar.raw"},
        {"", "", ""},
    };
    for (const auto& [path, withoutExtension, name] : cases) {
        EXPECT_EQ(WithoutExtension(path), withoutExtension);
        EXPECT_EQ(FileNamePart(path), name);
    }
    EXPECT_EQ(WithTrailingSeparator(""), "/");
    EXPECT_EQ(WithTrailingSeparator("/tmp"), "/tmp/");
    EXPECT_EQ(WithTrailingSeparator("/tmp/"), "/tmp/");
    TempDir dir;
    EXPECT_TRUE(FolderExists(dir.path()));
    EXPECT_FALSE(FolderExists(""));
    fs::create_directory(dir.File("*"));
    EXPECT_FALSE(FolderExists(dir.File("*")));  // even when it exists
    WriteFileBytes(dir.File("f"), "x");
    EXPECT_FALSE(FolderExists(dir.File("f")));
    EXPECT_TRUE(FileExists(dir.File("f")));

    // a missing folder is made, and the probe leaves nothing there
    int number = 0;
    std::string text;
    EXPECT_TRUE(CanWriteFile(dir.File("new/sub/x.raw"), number, text));
    EXPECT_TRUE(fs::is_empty(dir.File("new/sub")));
}

TEST(HeaderText, CreationDateShowsTheSecondThatHasBegun) {
    EXPECT_EQ(CreationDateText(DateTimeValue({2005, 7, 4, 14, 3, 9}) + 0.999 / 86400.0),
              "07/04/05 14:03:09");
    EXPECT_EQ(CreationDateText(DateTimeValue({2010, 1, 2, 0, 0, 0})), "01/02/10 00:00:00");
}

// The stored folder while it exists; else a folder of our own in TEMP, then in TMP; TEMP itself
// when ours cannot be made there; the system's folder last.
TEST(TempFolder, StoredThenTempThenTmpThenSystem) {
    TempDir dir;
    std::map<std::string, std::string> env;
    const EnvironmentLookup lookup = [&env](const std::string& name) {
        auto it = env.find(name);
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    TempFolderChoice c = TempPath("", lookup);
    ASSERT_TRUE(FolderExists(FixedTempFolder()));
    EXPECT_EQ(c.folder.rfind(WithTrailingSeparator(FixedTempFolder()), 0), 0u);
    EXPECT_EQ(c.remember, c.folder);

    fs::create_directory(dir.File("temp"));
    fs::create_directory(dir.File("tmp"));
    env = {{"TEMP", dir.File("missing")}, {"TMP", dir.File("tmp")}};
    EXPECT_EQ(TempPath("", lookup).folder, dir.File("tmp/Tidewell/"));
    env["TEMP"] = dir.File("temp");
    c = TempPath(dir.File("gone"), lookup);
    EXPECT_EQ(c.folder, dir.File("temp/Tidewell/"));
    EXPECT_EQ(c.remember, dir.File("temp/Tidewell/"));
    EXPECT_TRUE(fs::is_directory(dir.File("temp/Tidewell")));
    c = TempPath(dir.path(), lookup);
    EXPECT_EQ(c.folder, dir.path() + "/");
    EXPECT_FALSE(c.remember.has_value());

    fs::create_directory(dir.File("full"));
    WriteFileBytes(dir.File("full/Tidewell"), "a file in the way");
    env["TEMP"] = dir.File("full");
    c = TempPath("a?b", lookup);  // a stored name with "?" never exists
    EXPECT_EQ(c.folder, dir.File("full/"));
    EXPECT_EQ(c.remember, dir.File("full/"));
}

}  // namespace
}  // namespace tidewell
