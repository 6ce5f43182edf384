// Finding the default browser in a fake freedesktop tree, and starting a command without waiting.
#include "platform/Browser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {
const char* const kVariables[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",     "XDG_DATA_HOME",
                                  "XDG_DATA_DIRS",   "XDG_CURRENT_DESKTOP", "BROWSER"};

// Points the XDG variables at a temporary tree for one test and puts them back afterwards.
class FakeDesktop {
public:
    FakeDesktop() {
        for (const char* name : kVariables)
            saved_[name] = qgetenv(name);
        qputenv("XDG_CONFIG_HOME", (root() + "/config").toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", (root() + "/etc/xdg").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (root() + "/data").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (root() + "/usr/local/share:" + root() + "/usr/share").toLocal8Bit());
        qunsetenv("XDG_CURRENT_DESKTOP");
        qunsetenv("BROWSER");
    }
    ~FakeDesktop() {
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name.c_str());
            else
                qputenv(name.c_str(), value);
        }
    }
    QString root() const { return dir_.path(); }
    void write(const QString& relative, const QByteArray& content) const {
        const QString path = root() + "/" + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private:
    QTemporaryDir dir_;
    std::map<std::string, QByteArray> saved_;
};

struct File {
    const char* path;
    const char* content;
};

struct LookupCase {
    const char* name;
    std::vector<File> files;
    const char* desktop; // XDG_CURRENT_DESKTOP, or nullptr
    const char* expected;
};

class BrowserLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(BrowserLookup, FindsTheCommandLine) {
    const LookupCase& c = GetParam();
    FakeDesktop desktop;
    for (const File& f : c.files)
        desktop.write(QString::fromLatin1(f.path), f.content);
    if (c.desktop)
        qputenv("XDG_CURRENT_DESKTOP", c.desktop);
    EXPECT_EQ(DefaultBrowserCommand(), QString::fromLatin1(c.expected)) << c.name;
}

const char* const kWeb = "[Desktop Entry]\nType=Application\nName=Web\nExec=webby %u\n";
const char* const kOther = "[Desktop Entry]\nType=Application\nName=Other\nExec=/opt/other/bin/other --new %U\n";

INSTANTIATE_TEST_SUITE_P(
    Trees, BrowserLookup,
    ::testing::Values(
        LookupCase{"nothing configured", {}, nullptr, ""},
        LookupCase{"user's default",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=web.desktop\n"},
                    {"data/applications/web.desktop", kWeb}},
                   nullptr,
                   "webby"},
        LookupCase{"desktop file in the system data folder",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=other.desktop;\n"},
                    {"usr/share/applications/other.desktop", kOther}},
                   nullptr,
                   "/opt/other/bin/other --new"},
        LookupCase{
            "first listed but not installed",
            {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=gone.desktop;web.desktop\n"},
             {"data/applications/web.desktop", kWeb}},
            nullptr,
            "webby"},
        LookupCase{"user's list wins over the system's",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=web.desktop\n"},
                    {"etc/xdg/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=other.desktop\n"},
                    {"data/applications/web.desktop", kWeb},
                    {"data/applications/other.desktop", kOther}},
                   nullptr,
                   "webby"},
        LookupCase{"the current desktop's own list first",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=web.desktop\n"},
                    {"config/xfce-mimeapps.list", "[Default Applications]\nx-scheme-handler/http=other.desktop\n"},
                    {"data/applications/web.desktop", kWeb},
                    {"data/applications/other.desktop", kOther}},
                   "XFCE",
                   "/opt/other/bin/other --new"},
        LookupCase{"list in a data folder",
                   {{"usr/share/applications/mimeapps.list",
                     "[Added Associations]\ntext/plain=x.desktop\n[Default Applications]\n"
                     "x-scheme-handler/http=web.desktop\n"},
                    {"usr/share/applications/web.desktop", kWeb}},
                   nullptr,
                   "webby"},
        LookupCase{"key in another group does not count",
                   {{"config/mimeapps.list", "[Removed Associations]\nx-scheme-handler/http=web.desktop\n"},
                    {"data/applications/web.desktop", kWeb}},
                   nullptr,
                   ""},
        LookupCase{"added association as a fallback",
                   {{"config/mimeapps.list", "[Added Associations]\nx-scheme-handler/http=web.desktop;\n"},
                    {"data/applications/web.desktop", kWeb}},
                   nullptr,
                   "webby"},
        LookupCase{"html handler when http has none",
                   {{"config/mimeapps.list", "[Default Applications]\ntext/html=web.desktop\n"},
                    {"data/applications/web.desktop", kWeb}},
                   nullptr,
                   "webby"},
        LookupCase{"desktop id naming a subfolder",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=kde4-web.desktop\n"},
                    {"data/applications/kde4/web.desktop", kWeb}},
                   nullptr,
                   "webby"},
        LookupCase{"quoted program with blanks, escapes and field codes",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=q.desktop\n"},
                    {"data/applications/q.desktop",
                     "[Desktop Entry]\nType=Application\nExec=\"/opt/My Web/run\" --profile=100%% %i %U\n"}},
                   nullptr,
                   "\"/opt/My Web/run\" --profile=100%"},
        LookupCase{"hidden entry is not installed",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=web.desktop\n"},
                    {"data/applications/web.desktop", "[Desktop Entry]\nType=Application\nHidden=true\nExec=webby\n"}},
                   nullptr,
                   ""},
        LookupCase{"entry without a command",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=web.desktop\n"},
                    {"data/applications/web.desktop", "[Desktop Entry]\nType=Application\nExec=%u\n"}},
                   nullptr,
                   ""},
        LookupCase{"id reaching outside the applications folder",
                   {{"config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=../web.desktop\n"},
                    {"data/web.desktop", kWeb}},
                   nullptr,
                   ""}));

TEST(BrowserLookup, BrowserVariableComesFirstWhenItNamesAProgram) {
    FakeDesktop desktop;
    desktop.write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=web.desktop\n");
    desktop.write("data/applications/web.desktop", kWeb);
    qputenv("BROWSER", "no-such-browser-here:sh %s");
    EXPECT_EQ(DefaultBrowserCommand(), "sh");
    qputenv("BROWSER", "no-such-browser-here");
    EXPECT_EQ(DefaultBrowserCommand(), "webby");
}

TEST(BrowserLookup, CommandSplitsBackIntoItsArguments) {
    FakeDesktop desktop;
    desktop.write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=q.desktop\n");
    desktop.write("data/applications/q.desktop",
                  "[Desktop Entry]\nExec=\"/opt/My Web/run\" \"--title=a \\\\\"b\\\\\"\" %u\n");
    const QStringList args = QProcess::splitCommand(DefaultBrowserCommand() + " " + ProductWebPage());
    EXPECT_EQ(args, QStringList({"/opt/My Web/run", "--title=a \"b\"", ProductWebPage()}));
}

TEST(StartDetached, StartsWithoutWaitingAndReportsFailure) {
    EXPECT_FALSE(StartDetached(""));
    EXPECT_FALSE(StartDetached("   "));
    EXPECT_FALSE(StartDetached(" " + ProductWebPage())) << "no browser: only the blank and the address";
    EXPECT_FALSE(StartDetached("/no/such/program --flag"));

    QTemporaryDir dir;
    const QString marker = dir.path() + "/started";
    ASSERT_TRUE(StartDetached("sh -c \"sleep 0.2; echo done > '" + marker + "'\""));
    EXPECT_FALSE(QFileInfo::exists(marker)) << "the call waited for the program";
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 5000));
}
} // namespace
