// The file phase without a window: where exactly the cancel flag is read, and which endings count
// as entries not installed in full.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_phase.h"
#include "install_record.h"
#include "package_fixtures.h"
#include "test_support.h"

namespace {

// Confirms a cancel while the entry numbered `cancelAt` is being installed, and records the rest.
class ScriptedProgress : public InstallProgress {
public:
    explicit ScriptedProgress(int cancelAt = -1) : m_nCancelAt(cancelAt) {}
    bool IsCancelled() override { return m_bCancelled; }
    void ShowFile(LPCSTR path) override
    {
        if (static_cast<int>(m_shown.size()) == m_nCancelAt) m_bCancelled = true;
        m_shown.push_back(path);
    }
    void Step() override { ++m_nSteps; }

    std::vector<std::string> m_shown;
    int m_nSteps = 0;

private:
    int m_nCancelAt;
    bool m_bCancelled = false;
};

class FilePhase : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string dest = dir / "dest";
    std::string log = dest + "\\uninstall.ini";
    std::string package = dir / "data.pak";

    FilePhaseResult Run(const std::string& bytes, InstallProgress& progress)
    {
        WriteWholeFile(package, bytes);
        CreateDirectoryA(dest.c_str(), nullptr);  // as the progress dialog makes it
        CPackFile pack;
        EXPECT_TRUE(pack.Open(package.c_str()));
        CInstallRecord record(log.c_str());
        FilePhaseResult result = InstallPackageFiles(pack, dest.c_str(), record, progress);
        m_nListed = record.Count();
        return result;
    }
    std::string Target(const char* name) const { return dest + "\\" + name; }
    int m_nListed = 0;
};

std::string Entries(const std::vector<std::string>& names)
{
    std::string bytes;
    for (const std::string& name : names) bytes += PackEntry(name, MakeZip({{"m", name + " data"}}));
    return bytes;
}

// A cancel confirmed while the second of five entries is installed: the second completes and the
// phase ends before the third is read. Nothing of the third is listed or made.
TEST_F(FilePhase, ACancelDuringTheSecondEntryEndsBeforeTheThird)
{
    ScriptedProgress progress(1);
    FilePhaseResult result = Run(Entries({"a", "sub\\b", "new\\deeper\\c", "d", "e"}), progress);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(m_nListed, 2);
    EXPECT_FALSE(result.failures.Any());
    EXPECT_EQ(progress.m_shown, (std::vector<std::string>{Target("a"), Target("sub\\b")}));
    EXPECT_EQ(progress.m_nSteps, 2);
    EXPECT_EQ(LoggedPaths(log), progress.m_shown);
    EXPECT_EQ(ReadWholeFile(Target("sub\\b")), "sub\\b data");
    EXPECT_FALSE(DirectoryExists(Target("new")));
}

// A clean end, also of a package without entries or with a remainder shorter than a header, is no
// failure. An entry that cannot be written out is counted and passed over, the entries after it
// installed; a package cut short ends the phase at the entry it cuts, with no archive left.
TEST_F(FilePhase, EntriesNotWrittenArePassedOverAndDamageEndsThePhase)
{
    for (const std::string& bytes : {std::string(), Entries({"a"}) + "short"}) {
        ScriptedProgress progress;
        FilePhaseResult result = Run(bytes, progress);
        EXPECT_FALSE(result.failures.Any());
        EXPECT_FALSE(result.cancelled);
    }

    ScriptedProgress refused;
    FilePhaseResult result = Run(Entries({"a", "..\\escape", "b", "CON", "c"}), refused);
    EXPECT_EQ(result.failures.notInstalled, 2);
    EXPECT_EQ(std::string(result.failures.firstNotInstalled), Target("..\\escape"));
    EXPECT_TRUE(result.failures.damagedAt.IsEmpty());
    EXPECT_EQ(refused.m_nSteps, 5);
    EXPECT_EQ(LoggedPaths(log), (std::vector<std::string>{Target("a"), Target("b"), Target("c")}));
    EXPECT_EQ(ReadWholeFile(Target("c")), "c data");
    EXPECT_FALSE(FileExists(dir / "escape.zip"));

    ScriptedProgress cut;
    std::string last = PackEntry("cut\\z", MakeZip({{"m", SampleBytes(3000)}}));
    result = Run(Entries({"y"}) + last.substr(0, last.size() - 10), cut);
    EXPECT_EQ(result.failures.notInstalled, 0);
    EXPECT_EQ(std::string(result.failures.damagedAt), Target("cut\\z"));
    EXPECT_EQ(m_nListed, 2) << "the entry cut short was listed before it was made";
    EXPECT_FALSE(DirectoryExists(Target("cut"))) << "the partial archive and its folder are deleted";
}

}  // namespace
