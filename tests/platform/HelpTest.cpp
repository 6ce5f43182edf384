// The help file and its topics window, with real widgets.
#include "platform/Help.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
const QString kHelp = QStringLiteral(ODOMARK_RESOURCES "/help/wendlo.hlp");

HelpFile ourHelp() {
    HelpFile help;
    EXPECT_TRUE(ReadHelpFile(kHelp, help));
    return help;
}

// Closes the window a test opened, so that the next test starts without one.
struct CloseHelpWindow {
    ~CloseHelpWindow() {
        if (QWidget* w = HelpContentsWindow())
            w->close();
        EXPECT_TRUE(QTest::qWaitFor([] { return HelpContentsWindow() == nullptr; }, 5000));
    }
};

int visibleTopics(QListWidget* list) {
    int n = 0;
    for (int i = 0; i < list->count(); ++i)
        n += !list->item(i)->isHidden();
    return n;
}

class HelpCoversCommand : public ::testing::TestWithParam<const char*> {};

TEST_P(HelpCoversCommand, InSomeTopic) {
    const HelpFile help = ourHelp();
    const QString command = QString::fromLatin1(GetParam());
    bool found = false;
    for (const HelpTopic& topic : help.topics)
        found = found || topic.plainText.contains(command);
    EXPECT_TRUE(found) << GetParam();
}

// The windows and the rules a user runs into; the menu commands are walked in the main window's test.
INSTANTIATE_TEST_SUITE_P(WindowsAndRules, HelpCoversCommand,
                         ::testing::Values("User Profile", "Select", "Destination", "Rate Per Mile",
                                           "Odometer (Start)", "Total Miles", "Misc. Expenses", "State/Prov",
                                           "Postal Code", "No Trip records were found!", "miles.mil"));

TEST(HelpFile, EveryLinkLeadsToATopic) {
    const HelpFile help = ourHelp();
    ASSERT_GE(help.topics.size(), 15u);
    EXPECT_EQ(help.title, "Odomark Help");
    QStringList titles;
    for (const HelpTopic& topic : help.topics)
        titles << topic.title;
    static const QRegularExpression href(QStringLiteral("href=\"topic:([^\"]*)\""));
    int links = 0;
    for (const HelpTopic& topic : help.topics) {
        EXPECT_FALSE(topic.plainText.contains("[[")) << topic.title.toStdString();
        for (auto it = href.globalMatch(topic.html); it.hasNext(); ++links) {
            const QString target = QUrl::fromPercentEncoding(it.next().captured(1).toUtf8());
            EXPECT_TRUE(titles.contains(target, Qt::CaseInsensitive))
                << topic.title.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_GT(links, 20);
}

TEST(HelpFile, KeyboardTopicTellsWhatEnterAndEscDo) {
    const HelpFile help = ourHelp();
    const auto keyboard =
        std::find_if(help.topics.begin(), help.topics.end(), [](const HelpTopic& t) { return t.title == "Keyboard"; });
    ASSERT_NE(keyboard, help.topics.end());
    EXPECT_TRUE(keyboard->plainText.contains("Enter loads the current trip"));
    EXPECT_TRUE(keyboard->plainText.contains("In this help window, Esc closes it."));
}

TEST(HelpFile, MarkupBecomesHtmlAndTextIsEscaped) {
    QTemporaryDir dir;
    QFile file(dir.path() + "/small.hlp");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# comment\r\n@title Small\r\n= First\r\nSome **bold** text\r\nand more <b>.\r\n\r\n"
               "- one\r\n- two\r\n1. step\r\n== Part\r\nSee [[Second]].\r\n= Second\r\nlast\r\n");
    file.close();
    HelpFile help;
    ASSERT_TRUE(ReadHelpFile(file.fileName(), help));
    EXPECT_EQ(help.title, "Small");
    ASSERT_EQ(help.topics.size(), 2u);
    const QString& html = help.topics[0].html;
    EXPECT_TRUE(html.contains("<p>Some <b>bold</b> text and more &lt;b&gt;.</p>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<ul>\n<li>one</li>\n<li>two</li>\n</ul>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<ol>\n<li>step</li>\n</ol>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<h3>Part</h3>"));
    EXPECT_TRUE(html.contains("<a href=\"topic:Second\">Second</a>"));
    EXPECT_FALSE(help.topics[0].plainText.contains("comment"));
}

TEST(HelpWindow, RefusesAFileItCannotRead) {
    QTemporaryDir dir;
    QFile empty(dir.path() + "/empty.hlp");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.write("# no topics here\n");
    empty.close();
    EXPECT_FALSE(ShowHelpContents(dir.path() + "/missing.hlp"));
    EXPECT_FALSE(ShowHelpContents(empty.fileName()));
    EXPECT_EQ(HelpContentsWindow(), nullptr);
}

TEST(HelpWindow, OpensOnceNonModalWithEveryTopic) {
    CloseHelpWindow closer;
    QWidget owner;
    owner.show();
    ASSERT_TRUE(ShowHelpContents(kHelp, &owner));
    QWidget* window = HelpContentsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "frmHelp");
    EXPECT_EQ(window->windowTitle(), "Odomark Help");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_TRUE(window->isWindow());
    auto* list = window->findChild<QListWidget*>("lstTopics");
    auto* page = window->findChild<QTextBrowser*>("txtTopic");
    ASSERT_TRUE(list && page);
    EXPECT_EQ(size_t(list->count()), ourHelp().topics.size());
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(page->toPlainText().startsWith("Welcome to Odomark"));

    // A second request brings the same window forward.
    ASSERT_TRUE(ShowHelpContents(kHelp, &owner));
    EXPECT_EQ(HelpContentsWindow(), window);
    EXPECT_EQ(owner.findChildren<QWidget*>("frmHelp").size(), 1);

    // Other windows stay usable while it is open.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(HelpWindow, OpensAboveAModalWindowThatWouldBlockIt) {
    CloseHelpWindow closer;
    QWidget owner;
    owner.show();
    ASSERT_TRUE(ShowHelpContents(kHelp, &owner));
    QDialog modal(&owner);
    modal.setModal(true);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    ASSERT_TRUE(ShowHelpContents(kHelp, nullptr));
    ASSERT_NE(HelpContentsWindow(), nullptr);
    EXPECT_EQ(HelpContentsWindow()->parentWidget(), &modal);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return owner.findChildren<QWidget*>("frmHelp", Qt::FindDirectChildrenOnly).isEmpty(); }, 5000));
    modal.hide();
}

TEST(HelpWindow, EscapeClosesItWhereverTheFocusIs) {
    CloseHelpWindow closer;
    for (const char* focus : {"txtFind", "lstTopics", "txtTopic"}) {
        ASSERT_TRUE(ShowHelpContents(kHelp));
        QPointer<QWidget> window = HelpContentsWindow();
        QWidget* target = window->findChild<QWidget*>(focus);
        ASSERT_NE(target, nullptr);
        window->activateWindow();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000)) << focus;
    }
}

TEST(HelpWindow, FindBoxNarrowsTheTopics) {
    CloseHelpWindow closer;
    ASSERT_TRUE(ShowHelpContents(kHelp));
    QWidget* window = HelpContentsWindow();
    auto* list = window->findChild<QListWidget*>("lstTopics");
    auto* page = window->findChild<QTextBrowser*>("txtTopic");
    auto* find = window->findChild<QLineEdit*>("txtFind");
    ASSERT_TRUE(list && page && find);
    const int all = list->count();

    QTest::keyClicks(find, "odometer");
    const int withOdometer = visibleTopics(list);
    EXPECT_GT(withOdometer, 0);
    EXPECT_LT(withOdometer, all);
    ASSERT_GE(list->currentRow(), 0);
    EXPECT_FALSE(list->currentItem()->isHidden());
    EXPECT_EQ(page->textCursor().selectedText().toLower(), "odometer") << "the match is highlighted";

    // Every word must be present: adding a second word narrows further.
    QTest::keyClicks(find, " signature");
    EXPECT_LT(visibleTopics(list), withOdometer);

    find->clear();
    QTest::keyClicks(find, "zzqqxx");
    EXPECT_EQ(visibleTopics(list), 0);
    EXPECT_TRUE(page->toPlainText().contains("No topic contains"));

    find->clear();
    EXPECT_EQ(visibleTopics(list), all);
}

TEST(HelpWindow, LinksOpenTheirTopic) {
    CloseHelpWindow closer;
    ASSERT_TRUE(ShowHelpContents(kHelp));
    QWidget* window = HelpContentsWindow();
    auto* list = window->findChild<QListWidget*>("lstTopics");
    auto* page = window->findChild<QTextBrowser*>("txtTopic");
    emit page->anchorClicked(QUrl("topic:" + QUrl::toPercentEncoding("Window menu")));
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), "Window menu");
    EXPECT_TRUE(page->toPlainText().startsWith("Window menu"));
    // Links elsewhere open nothing.
    emit page->anchorClicked(QUrl("https://www.quorvale.example/"));
    EXPECT_EQ(list->currentItem()->text(), "Window menu");
}
} // namespace
