// What the window takes from the settings at start-up: the engine profile,
// the pause, and the problems of both in the status bar.

#include "app/startup_settings.h"
#include "app_fixture.h"
#include "readers/engine_profile.h"
#include "tests/support/temp_dir.h"

#include <QLabel>

#include <filesystem>
#include <fstream>

namespace zv::test {
namespace {

using namespace Qt::StringLiterals;

class StartupSettings : public AppTest
{
protected:
    QString folder() const { return m_dir.filePath(u"engines"_s); }

    // Installs the second engine's profile as NAME.json, with "from" replaced
    // by "to" when given.
    QString install(const std::string& name, const std::string& from = {}, const std::string& to = {}) const
    {
        std::filesystem::create_directories(folder().toStdString());
        std::string json = TempDir::readFile(std::string(ZV_SOURCE_DIR) + "/tests/engines/example.json");
        if (!from.empty())
            json.replace(json.find(from), from.size(), to);
        const std::string path = folder().toStdString() + "/" + name + ".json";
        std::ofstream(path, std::ios::binary) << json;
        return QString::fromStdString(path);
    }

    static Configuration choosing(const char* engine, std::optional<PauseRange> pause = std::nullopt)
    {
        Configuration configuration;
        configuration.engine = QString::fromUtf8(engine);
        configuration.pause = pause;
        return configuration;
    }
};

TEST_F(StartupSettings, TheChosenProfileAndItsPauseUnlessTheSettingsHaveOne)
{
    install("example", "\"resultsPerPage\": 100", "\"resultsPerPage\": 100, \"pause\": \"3-5\"");
    auto w = start();
    const QString idle = w->statusText();
    applyStartupSettings(*w, choosing("example"), u"zeravudez.conf"_s, folder());
    ASSERT_NE(w->engineProfile(), nullptr);
    EXPECT_EQ(w->engineProfile()->host, "search.example.com");
    EXPECT_EQ(w->enginePause(), (PauseRange {3, 5}));
    EXPECT_EQ(w->statusText(), idle);
    EXPECT_TRUE(applyStartupSettings(*w, choosing("example"), u"zeravudez.conf"_s, folder()).isEmpty());

    applyStartupSettings(*w, choosing("example", PauseRange {0, 0}), u"zeravudez.conf"_s, folder());
    EXPECT_EQ(w->enginePause(), (PauseRange {0, 0}));

    // No engine=: the built-in profile, which asks for no pause.
    applyStartupSettings(*w, Configuration {}, u"zeravudez.conf"_s, folder());
    EXPECT_EQ(*w->engineProfile(), builtinEngineProfile());
    EXPECT_TRUE(w->enginePause().isOff());
}

TEST_F(StartupSettings, AProfileThatCannotBeUsedIsShownInTheStatusBarBesideTheSettingsProblems)
{
    const QString broken = install("broken", "\"addressLine\"", "\"adressLine\"");
    auto w = start();
    Configuration configuration = choosing("broken");
    configuration.problems.append(u"pause=soon is not MIN-MAX seconds (0 to 3600), ignored"_s);
    const QString shown = applyStartupSettings(*w, configuration, u"/c/zeravudez.conf"_s, folder());
    EXPECT_EQ(*w->engineProfile(), builtinEngineProfile());
    EXPECT_EQ(w->statusText(),
              u"/c/zeravudez.conf: pause=soon is not MIN-MAX seconds (0 to 3600), ignored; "_s + broken
                  + u": addressLine: missing; the built-in profile is used"_s);
    EXPECT_EQ(shown, w->statusText());
    // The panel is narrower than the line: its tool tip holds all of it.
    const auto* panel = w->findChild<QLabel*>(u"状态条1_panel1"_s);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->toolTip(), shown);

    auto other = start();
    applyStartupSettings(*other, choosing("nothing"), u"/c/zeravudez.conf"_s, folder());
    EXPECT_EQ(other->statusText(),
              u"engine nothing: no profile %1/nothing.json; the built-in profile is used"_s.arg(folder()));
}

} // namespace
} // namespace zv::test
