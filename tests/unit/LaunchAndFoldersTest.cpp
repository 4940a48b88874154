// The command line a user or a desktop entry gives, and the folders vornix keeps the user's things in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/studio/LaunchOptions.h"
#include "shell/platform/UserFolders.h"

using vornix::LaunchOptionsError;
using vornix::parseLaunchOptions;

TEST(LaunchOptions, OptionsAndFilesInAnyOrder)
{
    const auto o = parseLaunchOptions({"vornix", "a.toml", "--autopilot", "--seed", "42", "--audio=USB Mic", "--",
                                       "--odd name.ggr"});
    EXPECT_TRUE(o.autopilot);
    ASSERT_TRUE(o.seed);
    EXPECT_EQ(*o.seed, 42u);
    ASSERT_TRUE(o.audio);
    EXPECT_EQ(*o.audio, "USB Mic");
    EXPECT_EQ(o.files, (std::vector<std::string>{"a.toml", "--odd name.ggr"}));

    const auto plain = parseLaunchOptions({"vornix", "--audio", "--seed=18446744073709551615"});
    ASSERT_TRUE(plain.audio);
    EXPECT_EQ(*plain.audio, "");   // what the computer plays
    EXPECT_EQ(*plain.seed, 18446744073709551615u);
    EXPECT_FALSE(plain.autopilot);
}

TEST(LaunchOptions, MistakesAreRefusedAndAnsweredWithStatusTwo)
{
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"vornix", "--fullscreen"}, {"vornix", "--seed"}, {"vornix", "--seed", "-1"},
             {"vornix", "--seed=12x"}, {"vornix", "--seed=18446744073709551616"}, {"vornix", "-x"}})
        EXPECT_THROW(parseLaunchOptions(bad), LaunchOptionsError) << bad.back();
    EXPECT_EQ(vornix::answerWithoutWindow({"vornix", "--bogus"}), 2);
    EXPECT_EQ(vornix::answerWithoutWindow({"vornix", "--version"}), 0);
    EXPECT_EQ(vornix::answerWithoutWindow({"vornix", "file.toml"}), std::nullopt);
}

#ifndef _WIN32
// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UserFolders, XdgVariablesAndUserDirsAreFollowed)
{
    const auto home = std::filesystem::temp_directory_path() / ("vornix-folders-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / ".config");
    ScopedEnv homeVar("HOME", home.c_str());
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(vornix::userSettingsFolder(), (home / ".config/vornix").string());
        EXPECT_EQ(vornix::userPicturesFolder(), home.string());   // no user-dirs.dirs: the home folder
    }
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");   // ignored, as the XDG rules say
        EXPECT_EQ(vornix::userSettingsFolder(), (home / ".config/vornix").string());
    }
    const auto config = home / "cfg";
    std::filesystem::create_directories(config);
    std::ofstream(config / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                             << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
                                             << "XDG_VIDEOS_DIR=\"/media/Videos/\"\n";
    ScopedEnv configVar("XDG_CONFIG_HOME", config.c_str());
    EXPECT_EQ(vornix::userSettingsFolder(), (config / "vornix").string());
    EXPECT_EQ(vornix::userPicturesFolder(), (home / "Bilder").string());
    EXPECT_EQ(vornix::userVideosFolder(), "/media/Videos");
    EXPECT_FALSE(std::filesystem::exists(config / "vornix"));   // asking never makes the folder
    std::filesystem::remove_all(home);
}
#endif
