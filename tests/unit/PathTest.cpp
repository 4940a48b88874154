// File name extensions: '/' separates folders, and only the last component can carry an extension.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/Path.h"
#include "shell/platform/SaveFileDialog.h"

using vornix::pathExtension;
using vornix::replaceExtension;

TEST(Path, ExtensionIsTakenFromTheLastComponentOnly)
{
    EXPECT_EQ(pathExtension("/home/me/picture.png"), "png");
    EXPECT_EQ(pathExtension("picture.tar.JPG"), "JPG");   // case kept; the registrar lowers it
    EXPECT_EQ(pathExtension("/home/me/my.pictures/fluid"), "");
    EXPECT_EQ(pathExtension("/a.b/c.d/e"), "");
    EXPECT_EQ(pathExtension("/a.b/c.d/e.jpe"), "jpe");
    EXPECT_EQ(pathExtension("noext"), "");
    EXPECT_EQ(pathExtension("trailing."), "");
    EXPECT_EQ(pathExtension(""), "");
}

TEST(Path, ReplaceExtensionLeavesFolderDotsAlone)
{
    EXPECT_EQ(replaceExtension("/x/pic.png", "jpg"), "/x/pic.jpg");
    EXPECT_EQ(replaceExtension("/x.y/pic", "png"), "/x.y/pic.png");
    EXPECT_EQ(replaceExtension("/x.y/pic.jpeg", ""), "/x.y/pic");
    EXPECT_EQ(vornix::parentPath("/x.y/pic.png"), "/x.y");
    EXPECT_EQ(vornix::parentPath("/pic.png"), "/");
    EXPECT_EQ(vornix::parentPath("pic.png"), "");
}

TEST(Path, SaveRuleKeepsOnlyTheOfferedExtensionsWhateverTheirCase)
{
    using vornix::savePathWithExtension;
    const std::vector<std::string> picture = {"png", "jpg"};
    EXPECT_EQ(savePathWithExtension("/tmp/shot", picture), "/tmp/shot.png");
    EXPECT_EQ(savePathWithExtension("/tmp/shot.bmp", picture), "/tmp/shot.png");
    EXPECT_EQ(savePathWithExtension("/tmp/shot.jpeg", picture), "/tmp/shot.png");   // four letters: not jpg
    EXPECT_EQ(savePathWithExtension("/tmp/shot.", picture), "/tmp/shot.png");
    EXPECT_EQ(savePathWithExtension("/tmp/shot.jpg", picture), "/tmp/shot.jpg");
    EXPECT_EQ(savePathWithExtension("/tmp/shot.JPG", picture), "/tmp/shot.JPG");
    EXPECT_EQ(savePathWithExtension("/tmp/my.pictures/shot", picture), "/tmp/my.pictures/shot.png");
    EXPECT_EQ(savePathWithExtension("/tmp/clip.GIF", {"mp4", "gif"}), "/tmp/clip.GIF");
    EXPECT_EQ(savePathWithExtension("/tmp/clip.png", {"mp4", "gif"}), "/tmp/clip.mp4");
}
