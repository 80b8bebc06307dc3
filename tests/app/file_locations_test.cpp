#include "app/file_locations.h"
#include "platform/file_io.h"
#include "shell_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tildo::test {

namespace {

// An installed layout: <root>/bin holds the program, <root>/share/tildo the data.
struct TInstalled
{
    TTempDir root;
    std::string Bin() const { return root.Path() + "/bin"; }
    std::string Share() const { return root.Path() + "/share/tildo"; }
    TInstalled()
    {
        std::filesystem::create_directories(Bin());
        std::filesystem::create_directories(Share());
    }
};

} // namespace

TEST(FileLocationsTest, PortableWhenTildoIniSitsBesideTheProgram)
{
    TInstalled installed;
    installed.root.Write("bin/tildo.ini", "");
    const TFileLocations files = LocateFiles(installed.Bin(), TEnvironment { "/home/u", "/cfg", "/st", "" });
    EXPECT_TRUE(files.Portable);
    EXPECT_EQ(files.SettingsPath, installed.Bin() + "/tildo.ini");
    EXPECT_EQ(files.StateDirectory, installed.Bin());
}

TEST(FileLocationsTest, InstalledProgramFollowsTheXdgFolders)
{
    TInstalled installed;
    TFileLocations files = LocateFiles(installed.Bin(), TEnvironment { "/home/u", "/cfg", "/st", "" });
    EXPECT_FALSE(files.Portable);
    EXPECT_EQ(files.SettingsPath, "/cfg/tildo/tildo.ini");
    EXPECT_EQ(files.StateDirectory, "/st/tildo");

    // Unset or relative variables fall back to the home folder.
    files = LocateFiles(installed.Bin(), TEnvironment { "/home/u", "", "relative/state", "" });
    EXPECT_EQ(files.SettingsPath, "/home/u/.config/tildo/tildo.ini");
    EXPECT_EQ(files.StateDirectory, "/home/u/.local/state/tildo");

    // With no home at all the program's folder is the only writable guess.
    files = LocateFiles(installed.Bin(), TEnvironment {});
    EXPECT_TRUE(files.Portable);
    EXPECT_EQ(files.SettingsPath, installed.Bin() + "/tildo.ini");
}

TEST(FileLocationsTest, DataIsFoundBesideThenInShareThenInXdgDataDirs)
{
    TInstalled installed;
    TTempDir system;
    std::filesystem::create_directories(system.Path() + "/tildo");
    const TEnvironment env { "/home/u", "", "", "/nonexistent:relative:" + system.Path() };
    const TFileLocations files = LocateFiles(installed.Bin() + "/", env);
    ASSERT_EQ(files.DataDirectories.size(), 4u);
    EXPECT_EQ(files.DataDirectories[0], installed.Bin());
    EXPECT_EQ(files.DataDirectories[1], installed.Share());
    EXPECT_EQ(files.DataDirectories[3], system.Path() + "/tildo");

    // Nothing anywhere: the place beside the program names the missing file.
    EXPECT_EQ(files.FindDataFile("tildo.dat"), installed.Bin() + "/tildo.dat");
    system.Write("tildo/tildo.dat", "x");
    EXPECT_EQ(files.FindDataFile("tildo.dat"), system.Path() + "/tildo/tildo.dat");
    installed.root.Write("share/tildo/tildo.dat", "x");
    EXPECT_EQ(files.FindDataFile("tildo.dat"), installed.Share() + "/tildo.dat");
    installed.root.Write("bin/tildo.dat", "x");
    EXPECT_EQ(files.FindDataFile("tildo.dat"), installed.Bin() + "/tildo.dat");

    // Bare names from the settings are looked up; paths are kept.
    system.Write("tildo/mine.dat", "x");
    EXPECT_EQ(files.CompleteDataPath("mine.dat"), system.Path() + "/tildo/mine.dat");
    EXPECT_EQ(files.CompleteDataPath("sub/mine.dat"), "sub/mine.dat");
    EXPECT_EQ(files.CompleteDataPath(""), "");
}

TEST(FileLocationsTest, InstalledShellKeepsSettingsAndLogsInItsOwnFolders)
{
    TInstalled installed;
    TTempDir home;
    installed.root.Write("share/tildo/tildo.dat", W("ёлка\nещё\n"));
    const TFileLocations files = LocateFiles(
        installed.Bin(), TEnvironment { home.Path(), home.Path() + "/config", home.Path() + "/state", "" });
    ASSERT_FALSE(files.Portable);

    TShell shell;
    shell.lifecycle.Initialise({}, files);
    shell.lifecycle.DeferredStart();
    EXPECT_EQ(shell.dic.FileName, installed.Share() + "/tildo.dat");
    EXPECT_GT(shell.dic.FormCount(), 0);
    shell.Exit();
    EXPECT_TRUE(shell.ui.Errors.empty());
    const std::string ini = ReadWholeFile(home.Path() + "/config/tildo/tildo.ini");
    // The shipped dictionary is stored by name, so a move of the program keeps it.
    EXPECT_NE(ini.find("Dictionary=tildo.dat"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("Dictionary=/"), std::string::npos) << ini;
    EXPECT_EQ(files.StoredDataPath(installed.Share() + "/tildo.dat"), "tildo.dat");
    EXPECT_EQ(files.StoredDataPath(home.Path() + "/tildo.dat"), home.Path() + "/tildo.dat");
    EXPECT_EQ(PortableLocations(installed.Share()).StoredDataPath(installed.Share() + "/tildo.dat"),
        installed.Share() + "/tildo.dat");
    EXPECT_FALSE(FileExists(installed.Bin() + "/tildo.ini"));

    // The combination log goes to the state folder, which is made for it.
    TShell logging;
    MakeDirectories(home.Path() + "/config/tildo");
    WriteFileAtomic(home.Path() + "/config/tildo/tildo.ini", "[Tildo]\nCombiLog=1\n");
    logging.lifecycle.Initialise({}, files);
    EXPECT_EQ(logging.hooks.Count("BindCombiLog " + home.Path() + "/state/tildo/combi.log"), 1);
    EXPECT_TRUE(std::filesystem::is_directory(home.Path() + "/state/tildo"));
}

} // namespace tildo::test
