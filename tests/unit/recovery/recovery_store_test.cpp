#include "core/recovery/recovery_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <set>

#include "unit/fs/other_users.h"
#include "unit/settings/temp_dir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

const std::string kDocument =
    "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n\"idea\",1,10,20,4,1,0,16777215,"
    "\r\n";

RecoveryInfo Info(std::string path, std::int64_t time) {
    RecoveryInfo info;
    info.OriginalPath = std::move(path);
    info.SavedAt = time;
    return info;
}

TEST(RecoveryInfo, KeepsAnyPathBytesTheTimeAndTheStamp) {
    RecoveryInfo info = Info(std::string("/home/u/caf\xC3\xA9 100%\nnew\x81\x5C.csv"), 1765120000);
    info.Stamp = FileStamp{1234, 1765120000123456789};
    const std::string text = RecoveryInfoText(info);
    EXPECT_EQ(text.find("\nnew"), std::string::npos) << "a newline in a path stays on its line";
    EXPECT_NE(text.find("path=/home/u/caf%C3%A9%20100%25%0Anew%81\\.csv"), std::string::npos)
        << text;
    EXPECT_EQ(ParseRecoveryInfo(text), info);
    info.Stamp = FileStamp{0, -5};  // before 1970
    EXPECT_EQ(ParseRecoveryInfo(RecoveryInfoText(info)), info);
    info.Stamp = FileStamp{7, 8, 18446744073709551615u, 1765120000987654321};
    EXPECT_EQ(ParseRecoveryInfo(RecoveryInfoText(info)), info);
    EXPECT_NE(RecoveryInfoText(info).find("\nstamp=7,8\n"), std::string::npos)
        << "the stamp stays readable to versions that know only size and time";

    const RecoveryInfo untitled = Info("", 7);
    EXPECT_EQ(ParseRecoveryInfo(RecoveryInfoText(untitled)), untitled);
    // CR LF line ends (a file edited by hand) and keys a later version adds are fine.
    EXPECT_EQ(ParseRecoveryInfo("Quillovarsta recovery 1\r\nfuture=1\r\npath=/a\r\ntime=9\r\n"),
              Info("/a", 9));
}

TEST(RecoveryInfo, RefusesDamagedTextWithAReason) {
    std::string why;
    for (const char* text :
         {"", "garbage\npath=/a\ntime=1\n", "Quillovarsta recovery 1\ntime=1\n",
          "Quillovarsta recovery 1\npath=/a\n", "Quillovarsta recovery 1\npath=/a%4\ntime=1\n",
          "Quillovarsta recovery 1\npath=/a%00b\ntime=1\n",
          "Quillovarsta recovery 1\npath=/a\ntime=x\n",
          "Quillovarsta recovery 1\npath=/a\ntime=1\nstamp=5\n",
          "Quillovarsta recovery 1\npath=/a\ntime=1\nstamp=-1,5\n",
          "Quillovarsta recovery 1\npath=/a\ntime=1\nstamp=1,5\nidentity=-1,5\n",
          "Quillovarsta recovery 1\npath=/a\ntime=1\nstamp=1,5\nidentity=7\n",
          "Quillovarsta recovery 1\npath=/a\ntime=99999999999999999999\n",
          "Quillovarsta recovery 1\npath=/a\nno equals sign\ntime=1\n"}) {
        why.clear();
        EXPECT_FALSE(ParseRecoveryInfo(text, &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
}

TEST(RecoveryNames, FollowTheSettingsFileAndTheSession) {
    EXPECT_EQ(RecoveryFolderFor("/home/u/.config/quillovarsta/Quillova.INI"),
              fs::path("/home/u/.config/quillovarsta/Quillova.INI.recovery"));
    EXPECT_TRUE(RecoveryFolderFor("").empty()) << "settings in memory keep nothing";
    EXPECT_NE(NewRecoverySessionId(12, 1000), NewRecoverySessionId(12, 1001));
    EXPECT_NE(NewRecoverySessionId(12, 1000), NewRecoverySessionId(13, 1000));
    const std::string id = NewRecoverySessionId(4242, 1765120000123);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"), std::string::npos);
}

TEST(RecoveryFolder, ListsCopiesLocksAndLeftoverTemporaryFilesOnly) {
    TempDir dir;
    const fs::path folder = dir.File("q.INI.recovery");
    EXPECT_TRUE(ListRecoveryFolder(folder).Entries.empty()) << "a missing folder holds nothing";
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pA", 2, kDocument, Info("/a.csv", 5)));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pA", 10, kDocument, Info("/b.csv", 6)));
    WriteFile(RecoveryInfoPath(folder, "pB", 1).string(), "x");
    WriteFile(RecoveryLockPath(folder, "pA").string(), "");
    WriteFile((folder / ".qv12345678.tmp").string(), "half");
    for (const char* other : {"notes.txt", "bad name-1.csv", "pA-x.csv", "pA.csv", "-1.csv"})
        WriteFile((folder / other).string(), "");
    fs::create_directory(folder / "unreadable");

    const RecoveryFolderContents c = ListRecoveryFolder(folder);
    ASSERT_EQ(c.Entries.size(), 3u);
    EXPECT_EQ(c.Entries[0].Session, "pA");
    EXPECT_EQ(c.Entries[0].Serial, 2);
    EXPECT_EQ(c.Entries[1].Serial, 10) << "serials count as numbers";
    EXPECT_TRUE(c.Entries[0].HasCopy && c.Entries[0].HasInfo);
    EXPECT_EQ(c.Entries[2].Session, "pB");
    EXPECT_TRUE(!c.Entries[2].HasCopy && c.Entries[2].HasInfo);
    EXPECT_EQ(c.LockedSessions, std::vector<std::string>{"pA"});
    ASSERT_EQ(c.TemporaryFiles.size(), 1u);

    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "copies of documents are the user's alone";
}

TEST(RecoveryFolder, OffersOnlyTheCopiesOfSessionsThatNoLongerRun) {
    TempDir dir;
    const fs::path folder = dir.File("q.INI.recovery");
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pOwn", 1, kDocument, Info("/own.csv", 1)));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pLive", 1, kDocument, Info("/live.csv", 1)));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pDead", 1, kDocument, Info("/late.csv", 300)));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pDead", 2, kDocument, Info("", 100)));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pGone", 1, kDocument, Info("/early.csv", 50)));
    WriteFile(RecoveryLockPath(folder, "pStale").string(), "");
    WriteFile((folder / ".qv00000001.tmp").string(), "half");

    std::set<std::string> asked;
    const auto running = [&asked](const std::string& s) {
        asked.insert(s);
        return s == "pLive";
    };
    const auto found = CollectRecoveries(folder, "pOwn", running);
    EXPECT_EQ(asked, (std::set<std::string>{"pDead", "pGone", "pLive", "pStale"}));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].Info.OriginalPath, "/early.csv") << "oldest first";
    EXPECT_EQ(found[1].Info.OriginalPath, "") << "the untitled one";
    EXPECT_EQ(found[2].Info.OriginalPath, "/late.csv");
    for (const auto& c : found) {
        EXPECT_TRUE(c.Readable) << c.Why;
        EXPECT_EQ(c.Document, kDocument);
    }
    EXPECT_TRUE(fs::exists(folder / ".qv00000001.tmp")) << "a running program may be writing it";

    // Once no other program runs, a leftover temporary file goes.
    CollectRecoveries(folder, "pOwn", [](const std::string&) { return false; });
    EXPECT_FALSE(fs::exists(folder / ".qv00000001.tmp"));
}

TEST(RecoveryFolder, ReportsCopiesThatCannotBeReadAndSetsThemAside) {
    TempDir dir;
    const fs::path folder = dir.File("q.INI.recovery");
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pX", 1, "just some text\r\n", Info("/text.csv", 1)));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pX", 2, kDocument, Info("/damaged.csv", 2)));
    WriteFile(RecoveryInfoPath(folder, "pX", 2).string(), "Quillovarsta recovery 1\npath=/a\n");
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pX", 3, kDocument, Info("/lost-info.csv", 3)));
    fs::remove(RecoveryInfoPath(folder, "pX", 3));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pX", 4, kDocument, Info("/folder.csv", 4)));
    fs::remove(RecoveryCopyPath(folder, "pX", 4));
    fs::create_directory(RecoveryCopyPath(folder, "pX", 4));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pX", 5, kDocument, Info("/never-written.csv", 5)));
    fs::remove(RecoveryCopyPath(folder, "pX", 5));

    const auto found = CollectRecoveries(folder, "pOwn", [](const std::string&) { return false; });
    ASSERT_EQ(found.size(), 3u) << "the folder in place of a copy is no copy";
    for (const auto& c : found) {
        EXPECT_FALSE(c.Readable);
        EXPECT_FALSE(c.Why.empty());
    }
    const auto bySerial = [&found](int serial) {
        for (const auto& c : found)
            if (c.Entry.Serial == serial) return c;
        ADD_FAILURE() << "no copy " << serial;
        return RecoveryCandidate{};
    };
    const RecoveryCandidate text = bySerial(1);
    EXPECT_TRUE(text.InfoKnown);
    EXPECT_EQ(text.Info.OriginalPath, "/text.csv");
    EXPECT_NE(text.Why.find("not a fragment file"), std::string::npos) << text.Why;
    EXPECT_FALSE(bySerial(2).InfoKnown);
    EXPECT_NE(bySerial(2).Why.find("no time"), std::string::npos) << bySerial(2).Why;
    EXPECT_NE(bySerial(3).Why.find("missing"), std::string::npos) << bySerial(3).Why;
    EXPECT_FALSE(fs::exists(RecoveryInfoPath(folder, "pX", 5)))
        << "a description without its copy holds nothing and goes";

    const fs::path aside = SetRecoveryCopyAside(text.Entry, folder);
    EXPECT_EQ(aside, folder / "unreadable");
    EXPECT_EQ(ReadFile((aside / "pX-1.csv").string()), "just some text\r\n");
    EXPECT_TRUE(fs::exists(aside / "pX-1.info"));
    EXPECT_FALSE(fs::exists(text.Entry.Copy));
    // A second copy of the same name is set aside beside it, not over it.
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pX", 1, "again\r\n", Info("/text.csv", 9)));
    auto again = ListRecoveryFolder(folder).Entries.front();
    EXPECT_EQ(SetRecoveryCopyAside(again, folder), aside);
    EXPECT_EQ(ReadFile((aside / "pX-1.csv").string()), "just some text\r\n");
    EXPECT_EQ(ReadFile((aside / "pX-1_2.csv").string()), "again\r\n");
    const auto rest = CollectRecoveries(folder, "pOwn", [](const std::string&) { return false; });
    EXPECT_EQ(rest.size(), 2u) << "copies set aside are not offered again";
}

TEST(RecoveryFolder, ACopyPassesToAnotherSessionAndGoesWithItsDescription) {
    TempDir dir;
    const fs::path folder = dir.File("q.INI.recovery");
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pOld", 3, kDocument, Info("/a.csv", 1)));
    const RecoveryEntry old = ListRecoveryFolder(folder).Entries.front();
    ASSERT_TRUE(AdoptRecoveryCopy(old, folder, "pNew", 1));
    auto now = ListRecoveryFolder(folder).Entries;
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].Session, "pNew");
    EXPECT_EQ(ReadFile(now[0].Copy.string()), kDocument);
    EXPECT_EQ(ParseRecoveryInfo(ReadFile(now[0].Info.string())), Info("/a.csv", 1));
    EXPECT_FALSE(AdoptRecoveryCopy(old, folder, "pNew", 2)) << "the old files are gone";

    EXPECT_TRUE(RemoveRecoveryCopy(now[0]));
    EXPECT_TRUE(ListRecoveryFolder(folder).Entries.empty());
    RemoveRecoveryFolderIfEmpty(folder);
    EXPECT_FALSE(fs::exists(folder));
}

TEST(RecoveryFolder, WritingFailsWithAReasonWhereNoFolderCanBeMade) {
    TempDir dir;
    WriteFile(dir.File("file"), "");
    const WriteResult w =
        WriteRecoveryCopy(fs::path(dir.File("file")) / "sub", "pA", 1, kDocument, Info("", 1));
    EXPECT_FALSE(w);
    EXPECT_FALSE(w.Error.empty());
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(RecoveryFolder, IsThisUsersAloneAndSoAreTheCopies) {
    TempDir dir;
    const fs::path folder = dir.File("q.INI.recovery");
    EXPECT_TRUE(EnsureRecoveryFolder(folder, false)) << "missing is fine for a look";
    EXPECT_FALSE(fs::exists(folder));

    // Found open to others (made by an older version, or by hand): narrowed before use.
    ASSERT_TRUE(fs::create_directory(folder));
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    const mode_t old = ::umask(0);
    const WriteResult w = WriteRecoveryCopy(folder, "pA", 1, kDocument, Info("/d/x.csv", 1));
    ::umask(old);
    ASSERT_TRUE(w) << w.Error;
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(ModeOf(RecoveryCopyPath(folder, "pA", 1)), 0600u);
    EXPECT_EQ(ModeOf(RecoveryInfoPath(folder, "pA", 1)), 0600u);

    // A link at a copy's name is replaced, never written through.
    const std::string outside = dir.File("outside.txt");
    WriteFile(outside, "someone's file");
    fs::remove(RecoveryCopyPath(folder, "pA", 1));
    fs::create_symlink(outside, RecoveryCopyPath(folder, "pA", 1));
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pA", 1, kDocument, Info("/d/x.csv", 2)));
    EXPECT_EQ(ReadFile(outside), "someone's file");
    EXPECT_FALSE(fs::is_symlink(RecoveryCopyPath(folder, "pA", 1)));

    // A link to a folder, or a file, is no folder of copies: nothing is read or written there.
    const fs::path real = dir.File("real");
    fs::create_directory(real);
    const fs::path linked = dir.File("linked.recovery");
    fs::create_symlink(real, linked);
    const RecoveryFolderCheck link = EnsureRecoveryFolder(linked, false);
    EXPECT_FALSE(link);
    EXPECT_EQ(link.Problem, RecoveryFolderProblem::Link);
    EXPECT_NE(link.Why.find("symbolic link"), std::string::npos) << link.Why;
    EXPECT_FALSE(WriteRecoveryCopy(linked, "pA", 1, kDocument, Info("", 1)));
    EXPECT_TRUE(fs::is_empty(real));
    WriteFile(dir.File("plain.recovery"), "");
    EXPECT_EQ(EnsureRecoveryFolder(dir.File("plain.recovery"), true).Problem,
              RecoveryFolderProblem::NotFolder);
}

TEST(RecoveryFolder, AnotherUsersFolderIsNotTrusted) {
    if (*test::WhyNoOtherUsers()) GTEST_SKIP() << test::WhyNoOtherUsers();
    TempDir dir;
    const fs::path folder = dir.File("q.INI.recovery");
    ASSERT_TRUE(fs::create_directory(folder));
    ASSERT_EQ(::chown(folder.c_str(), test::kOtherUid, test::kOtherGid), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    const RecoveryFolderCheck check = EnsureRecoveryFolder(folder, false);
    EXPECT_FALSE(check);
    EXPECT_EQ(check.Problem, RecoveryFolderProblem::OthersFolder);
    EXPECT_NE(check.Why.find("another user"), std::string::npos) << check.Why;
    EXPECT_FALSE(WriteRecoveryCopy(folder, "pA", 1, kDocument, Info("", 1)));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST(RecoveryFolder, ListsNeitherLinksNorOtherFilesThatAreNoRegularFiles) {
    TempDir dir;
    const fs::path folder = dir.File("f");
    ASSERT_TRUE(WriteRecoveryCopy(folder, "pA", 1, kDocument, Info("", 1)));
    const std::string elsewhere = dir.File("elsewhere.csv");
    WriteFile(elsewhere, kDocument);
    fs::create_symlink(elsewhere, RecoveryCopyPath(folder, "pB", 1));
    fs::create_symlink(elsewhere, folder / "pC.lock");
    ASSERT_EQ(::mkfifo(RecoveryCopyPath(folder, "pD", 1).c_str(), 0600), 0);
    fs::create_directory(RecoveryInfoPath(folder, "pE", 1));
    // Another spelling of a serial would stand for a file of another name.
    WriteFile((folder / "pF-007.csv").string(), kDocument);
    const RecoveryFolderContents c = ListRecoveryFolder(folder);
    ASSERT_EQ(c.Entries.size(), 1u);
    EXPECT_EQ(c.Entries[0].Session, "pA");
    EXPECT_TRUE(c.LockedSessions.empty());
    const auto found = CollectRecoveries(folder, "pZ", [](const std::string&) { return false; });
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Entry.Session, "pA");
}

}  // namespace
}  // namespace qv
