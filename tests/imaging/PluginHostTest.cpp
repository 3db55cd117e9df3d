#include "imaging/PluginHost.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imaging/ImageTools.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

const std::filesystem::path kBuiltPlugins = KESTRIN_TEST_PLUGIN_DIR;
const std::string kFixedFilter =
    "全てのﾌｧｲﾙ(*.*)|*.*|JPEGﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|全ての読込可能画像|";

// True while the library at path is loaded in this process.
bool IsLoadedInProcess(const std::filesystem::path& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    dlclose(handle);
    return true;
}

class APluginFolder : public ::testing::Test {
protected:
    CTempDir folder;

    void Place(const std::string& builtName, const std::string& name) {
        std::filesystem::copy_file(kBuiltPlugins / builtName, folder.Path() / name);
    }
};

TEST(APluginHost, KeepsOnlyTheImportFilterOfTheBuiltPlugins) {
    const CPluginHost host(kBuiltPlugins.string());
    EXPECT_EQ(host.LoadedNames(), std::vector<std::string>{"import_plugin.spi"});
    EXPECT_FALSE(IsLoadedInProcess(kBuiltPlugins / "archive_plugin.spi"));
    EXPECT_FALSE(IsLoadedInProcess(kBuiltPlugins / "no_info_plugin.spi"));
}

TEST(APluginHost, ReadsFormatPairsAndCutsAnOverlongTextAtTheBuffer) {
    const CPluginHost host(kBuiltPlugins.string());
    ASSERT_EQ(host.Formats().size(), 3u);
    EXPECT_EQ(host.Formats()[0].m_strPattern, "*.tst");
    EXPECT_EQ(host.Formats()[1].m_strDescription, "Two-part picture");
    EXPECT_EQ(host.Formats()[2].m_strDescription, std::string(255, 'D'));
}

TEST(APluginHost, BuildsTheOpenFileFilterFromEveryFormat) {
    const CPluginHost host(kBuiltPlugins.string());
    const std::string longText(255, 'D');
    EXPECT_EQ(host.OpenFileFilter(), kFixedFilter + "*.jpg;*.jpeg;*.tst;*.tp1;*.tp2;*.big|" +
                                         "Test picture (*.tst)|*.tst|" +
                                         "Two-part picture (*.tp1;*.tp2)|*.tp1;*.tp2|" + longText +
                                         " (*.big)|*.big|");
}

TEST(APluginHost, WithoutPluginsOffersTheJpegPatternsAsReadable) {
    const CPluginHost host("/no/such/folder");
    EXPECT_TRUE(host.LoadedNames().empty());
    EXPECT_EQ(host.OpenFileFilter(), kFixedFilter + "*.jpg;*.jpeg|");
}

TEST(APluginHost, UnloadsItsPluginsWhenDestroyed) {
    const std::filesystem::path plugin = kBuiltPlugins / "import_plugin.spi";
    {
        const CImageTools tools(kBuiltPlugins.string());
        EXPECT_EQ(tools.Plugins().LoadedNames().size(), 1u);
        EXPECT_TRUE(IsLoadedInProcess(plugin));
    }
    EXPECT_FALSE(IsLoadedInProcess(plugin));
}

TEST_F(APluginFolder, LoadsOneOfTwoNamesThatDifferOnlyInCase) {
    Place("import_plugin.spi", "Viewer.spi");
    Place("import_plugin.spi", "viewer.SPI");
    const CPluginHost host(folder.Path().string());
    EXPECT_EQ(host.LoadedNames(), std::vector<std::string>{"Viewer.spi"});
    EXPECT_EQ(host.Formats().size(), 3u);
}

TEST_F(APluginFolder, SkipsOtherExtensionsAndFilesThatAreNoLibrary) {
    Place("import_plugin.spi", "viewer.dll");
    Place("archive_plugin.spi", "archive.spi");
    Place("no_info_plugin.spi", "plain.spi");
    WriteFile(folder.File("broken.spi"), {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    std::filesystem::create_directory(folder.Path() / "folder.spi");
    const CPluginHost host(folder.Path().string());
    EXPECT_TRUE(host.LoadedNames().empty());
    EXPECT_TRUE(host.Formats().empty());
}

}  // namespace
