#include "app/ClipboardX11.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

TEST(ClipboardPaste, StripsLineBreaksAndTabsAndRespectsTheLimit)
{
    struct Case
    {
        std::string field, pasted;
        int limit;
        std::string expected;
    } cases[] = {
        {"", "ab\r\ncd\tef\n", 10, "abcdef"},
        {"", "fourteen chars", 10, "fourteen c"},
        {"0123456789", "more", 10, "0123456789"},             // a full field takes nothing
        {"too long already", "more", 10, "too long already"}, // an over-full one is left alone
        {"ab", "\n\n\t", 10, "ab"},
        {"ab", "xyz", -3, "ab"},
    };
    for (Case& c : cases)
    {
        Clipboard::appendPasted(c.field, c.pasted, c.limit);
        EXPECT_EQ(c.field, c.expected) << c.pasted;
    }
}

TEST(ClipboardText, Latin1AndUtf8RoundTrip)
{
    EXPECT_EQ(ClipboardX11::latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(ClipboardX11::utf8ToLatin1("\xE2\x82\xAC 5"), "? 5") << "the euro is not Latin-1";
    EXPECT_EQ(ClipboardX11::utf8ToLatin1("a\xC3"), "a?") << "a cut sequence";
    EXPECT_EQ(ClipboardX11::utf8ToLatin1("\xA9x"), "?x") << "a stray continuation byte";
    std::string all;
    for (int c = 1; c < 256; ++c)
    {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(ClipboardX11::utf8ToLatin1(ClipboardX11::latin1ToUtf8(all)), all);
}

// These need an X server and xclip; the real-window suite runs them inside its own Xvfb.
class ClipboardX11WithDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("BRAMBLEWICK_CLIPBOARD_TESTS") || !std::getenv("DISPLAY"))
        {
            GTEST_SKIP() << "needs an X server (run by the e2e clipboard test)";
        }
    }

    // Runs a shell command while the clipboard answers requests; answers its output.
    static std::string runServing(ClipboardX11& clipboard, const std::string& command)
    {
        auto output = std::async(
            std::launch::async,
            [command]
            {
                std::string text;
                char buffer[256];
                FILE* pipe = popen(command.c_str(), "r");
                for (size_t count; pipe && (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                {
                    text.append(buffer, count);
                }
                if (pipe)
                {
                    pclose(pipe);
                }
                return text;
            });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (output.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready &&
               std::chrono::steady_clock::now() < deadline)
        {
            clipboard.processEvents();
        }
        return output.get();
    }
};

TEST_F(ClipboardX11WithDisplay, CopyIsServedToOtherProgramsAndReplacesTheContents)
{
    ClipboardX11 clipboard;
    clipboard.copy("first");
    clipboard.copy("hello");
    EXPECT_TRUE(clipboard.ownsClipboard());
    EXPECT_EQ(runServing(clipboard, "xclip -o -selection clipboard"), "hello");
    clipboard.copy("caf\xE9");
    EXPECT_EQ(runServing(clipboard, "xclip -o -selection clipboard -t UTF8_STRING"), "caf\xC3\xA9");

    std::string field = "x";
    clipboard.paste(field, 4);
    EXPECT_EQ(field, "xcaf") << "a paste from ourselves needs no round trip";
}

TEST_F(ClipboardX11WithDisplay, PasteReadsAnotherProgramsTextWithoutBreaks)
{
    ClipboardX11 clipboard;
    // xclip serves the text in the background until someone else takes the clipboard.
    ASSERT_EQ(std::system("printf 'line\\none\\ttab and more' | "
                          "xclip -selection clipboard >/dev/null 2>&1 &"),
              0);
    for (int i = 0; i < 500; ++i)
    {
        if (std::system("xclip -o -selection clipboard 2>/dev/null | grep -q more") == 0)
        {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string field;
    clipboard.paste(field, 10);
    EXPECT_EQ(field, "lineonetab");
    EXPECT_FALSE(clipboard.ownsClipboard());
    clipboard.copy("taken"); // ends the background xclip
    EXPECT_TRUE(clipboard.ownsClipboard());
}
