#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/update_check.h"
#include "settings/update_reply.h"
#include "settings/update_server.h"

namespace {

TEST(UpdateReply, NumberIsTheFirstDigitRunInTheFirst63Bytes)
{
    const std::string x62(62, 'x');
    const std::string x63(63, 'x');
    const struct {
        const char* name;
        std::string body;
        int32_t number;
    } table[] = {
        {"just the number", "20261104", 20261104},
        {"number and a line end", "20261105\r\n", 20261105},
        {"letter skipped", "v20261105", 20261105},
        {"minus sign skipped", "-20261105", 20261105},
        {"zero", "0", 0},
        {"empty", "", 0},
        {"no digit at all", "version unknown\n", 0},
        {"ends at the first non-digit", "2026 1105", 2026},
        {"leading zeros", "000020261105", 20261105},
        {"no digit in the first 63 bytes", x63 + "20261105", 0},
        {"only the first digit inside the 63 bytes", x62 + "20261105", 2},
        {"NUL ends the text", std::string("\0" "20261105", 9), 0},
        {"NUL ends the number", std::string("2026\0" "1105", 9), 2026},
        {"largest 32-bit number", "2147483647", INT32_MAX},
        // Past 32 bits the number stays at the largest one: newer than any real version.
        {"one past 32 bits", "2147483648", INT32_MAX},
        {"twenty digits", "99999999999999999999", INT32_MAX},
        {"63 digits", std::string(63, '9'), INT32_MAX},
    };
    for (const auto& row : table)
        EXPECT_EQ(ParseUpdateReply(row.body.data(), row.body.size()), row.number) << row.name;
}

TEST(UpdateReply, ThreeWayDecision)
{
    const struct {
        int32_t number;
        const char* text;
    } table[] = {
        {INT32_MIN, updateTextFailed}, {-1, updateTextFailed},        {0, updateTextFailed},
        {1, updateTextLatest},         {20261104, updateTextLatest},  {20261105, updateTextNewer},
        {INT32_MAX, updateTextNewer},
    };
    for (const auto& row : table)
        EXPECT_EQ(UpdateResultText(row.number), row.text) << row.number;
}

TEST(UpdateServer, OverridesAreTakenOnlyWhenUsable)
{
    const struct {
        const char* host;
        const char* port;
        const char* expectedHost;
        int32_t expectedPort;
    } table[] = {
        {nullptr, nullptr, updateHostName, 80},
        {"127.0.0.1", "8123", "127.0.0.1", 8123},
        {"updates.example-host.test", nullptr, "updates.example-host.test", 80},
        {nullptr, "65535", updateHostName, 65535},
        {"", "", updateHostName, 80},
        {"bad host", "0", updateHostName, 80},
        {"evil/path", "65536", updateHostName, 80},
        {"x:80", "-1", updateHostName, 80},
        {"h\xC3\xA9", "80a", updateHostName, 80},
    };
    for (const auto& row : table) {
        ConfigureUpdateServer(row.host, row.port);
        EXPECT_STREQ(updateServer.host, row.expectedHost) << (row.host ? row.host : "(none)");
        EXPECT_EQ(updateServer.port, row.expectedPort) << (row.port ? row.port : "(none)");
    }
    const std::string longest(63, 'h');
    ConfigureUpdateServer(longest.c_str(), nullptr);
    EXPECT_EQ(updateServer.host, longest);
    ConfigureUpdateServer((longest + "h").c_str(), nullptr);
    EXPECT_STREQ(updateServer.host, updateHostName);
    ConfigureUpdateServer(nullptr, nullptr);
}

// A platform that starts no real thread: the test runs the thread's body
// itself and plays the main window's part.
struct Posted {
    void* window;
    int32_t number;
    int32_t origin;
};

std::vector<int32_t> threadsStarted;
int32_t threadStartWorks;
int32_t fetchResult;
int32_t fetches;
std::vector<Posted> posted;
std::vector<void*> repaints;

int32_t FakeStartThread(int32_t origin)
{
    threadsStarted.push_back(origin);
    return threadStartWorks;
}

int32_t FakeFetch()
{
    fetches++;
    return fetchResult;
}

void FakePost(void* window, int32_t number, int32_t origin)
{
    posted.push_back({window, number, origin});
}

void FakeRepaint(void* window)
{
    repaints.push_back(window);
}

int mainWindow;
int settingsWindow;

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        threadsStarted.clear();
        threadStartWorks = 1;
        fetchResult = 0;
        fetches = 0;
        posted.clear();
        repaints.clear();
        updateCheckApi = {FakeStartThread, FakeFetch, FakePost, FakeRepaint};
        updateWindows = {&mainWindow, nullptr};
        updateBusy = 0;
        updateStatusText[0] = 0;
    }
    void TearDown() override
    {
        updateCheckApi = {};
        updateWindows = {};
        updateBusy = 0;
        updateStatusText[0] = 0;
    }
};

TEST_F(UpdateCheckTest, CheckRunsFromStartToResult)
{
    updateWindows.settingsWindow = &settingsWindow;
    StartUpdateCheck(1);
    EXPECT_EQ(threadsStarted, std::vector<int32_t>{1});
    EXPECT_EQ(updateBusy, 1);
    EXPECT_STREQ(updateStatusText, updateTextChecking);
    EXPECT_EQ(repaints, std::vector<void*>{&settingsWindow});

    fetchResult = 20261105;
    EXPECT_EQ(UpdateCheckThread(1), 0);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].window, &mainWindow);
    EXPECT_EQ(posted[0].number, 20261105);
    EXPECT_EQ(posted[0].origin, 1);
    EXPECT_EQ(updateBusy, 1) << "the thread must not touch the UI thread's state";

    HandleUpdateResult(static_cast<uint32_t>(posted[0].number));
    EXPECT_EQ(updateBusy, 0);
    EXPECT_STREQ(updateStatusText, updateTextNewer);
    EXPECT_EQ(repaints.size(), 2u);
}

TEST_F(UpdateCheckTest, SecondStartWhileBusyChangesNothing)
{
    StartUpdateCheck(0);
    StartUpdateCheck(1);
    StartUpdateCheck(1);
    EXPECT_EQ(threadsStarted, std::vector<int32_t>{0});
    EXPECT_STREQ(updateStatusText, updateTextChecking);

    HandleUpdateResult(20261104);
    EXPECT_STREQ(updateStatusText, updateTextLatest);
    StartUpdateCheck(1);  // once the result is in, the button works again
    EXPECT_EQ(threadsStarted, (std::vector<int32_t>{0, 1}));
}

TEST_F(UpdateCheckTest, NoMainWindowNoCheck)
{
    updateWindows.mainWindow = nullptr;
    StartUpdateCheck(0);
    EXPECT_TRUE(threadsStarted.empty());
    EXPECT_EQ(updateBusy, 0);
    EXPECT_STREQ(updateStatusText, "");
}

TEST_F(UpdateCheckTest, ThreadThatCannotStartEndsWithTheFailureText)
{
    const struct {
        const char* name;
        int32_t (*startThread)(int32_t);
        void* settings;
        size_t repaints;
    } table[] = {
        {"start fails, settings window open", FakeStartThread, &settingsWindow, 2},
        {"start fails, settings window closed", FakeStartThread, nullptr, 0},
        {"no way to start a thread", nullptr, &settingsWindow, 2},
    };
    for (const auto& row : table) {
        SetUp();
        threadStartWorks = 0;
        updateCheckApi.startThread = row.startThread;
        updateWindows.settingsWindow = row.settings;
        StartUpdateCheck(1);
        EXPECT_EQ(updateBusy, 0) << row.name;
        EXPECT_STREQ(updateStatusText, updateTextFailed) << row.name;
        EXPECT_EQ(repaints.size(), row.repaints) << row.name;
        EXPECT_TRUE(posted.empty()) << row.name;
    }
}

TEST_F(UpdateCheckTest, ResultIsTheLow32BitsOfWParamAsASignedNumber)
{
    const struct {
        uint64_t wParam;
        const char* text;
    } table[] = {
        {0, updateTextFailed},
        {0xFFFFFFFFu, updateTextFailed},           // -1
        {0x80000000u, updateTextFailed},           // INT32_MIN
        {0x7FFFFFFFu, updateTextNewer},
        {0xFFFFFFFF00000000u + 5, updateTextLatest},  // a sign-extended post of 5 reads as 5
        {20261104, updateTextLatest},
        {20261105, updateTextNewer},
    };
    for (const auto& row : table) {
        updateBusy = 1;
        HandleUpdateResult(row.wParam);
        EXPECT_EQ(updateBusy, 0);
        EXPECT_STREQ(updateStatusText, row.text) << std::hex << row.wParam;
    }
}

TEST_F(UpdateCheckTest, PlatformWithoutNetworkOrMessagesStillEnds)
{
    updateCheckApi.fetchVersion = nullptr;
    updateCheckApi.postResult = nullptr;
    EXPECT_EQ(UpdateCheckThread(0), 0);
    updateCheckApi.postResult = FakePost;
    EXPECT_EQ(UpdateCheckThread(0), 0);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].number, 0);
}

}  // namespace
