#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/regtext.h"

// A value as the registry hands it over: got bytes at the start of a buffer that otherwise holds
// leftovers ('#').
TEST(TerminateRegText, Cases)
{
    struct Case {
        std::string data; // the bytes the query returned, NUL included when stored
        bool ok;
        const char *want;
    } cases[] = {
        {std::string("D:\\Tools\\Quillith", 17) + '\0', true, "D:\\Tools\\Quillith"},
        {"D:\\Tools\\Quillith", true, "D:\\Tools\\Quillith"}, // stored without its NUL
        {std::string(1, '\0'), true, ""},
        {"", true, ""},                                 // stored with no bytes at all
        {std::string(259, 'a') + '\0', true, nullptr},  // fills the buffer, NUL included
        {std::string(259, 'a'), true, nullptr},         // one byte short: room for the NUL
        {std::string(260, 'a'), false, ""},             // no room for the NUL
        {std::string("C:\\A\0junk", 9), true, "C:\\A"}, // a NUL inside ends the text
    };
    for (const Case &c : cases) {
        char buf[260 + 4];
        memset(buf, '#', sizeof buf);
        memcpy(buf, c.data.data(), c.data.size());
        EXPECT_EQ(c.ok, TerminateRegText(buf, 260, (uint32_t)c.data.size())) << c.data.size() << " bytes";
        std::string want = c.want ? c.want : std::string(259, 'a');
        EXPECT_EQ(want, std::string(buf)) << c.data.size() << " bytes";
        EXPECT_EQ('#', buf[260]) << "nothing written past the buffer";
    }
}

TEST(TerminateRegText, CountBeyondTheBufferIsRefused)
{
    char buf[8] = "abcdefg";
    EXPECT_FALSE(TerminateRegText(buf, 4, 5));
    EXPECT_STREQ("", buf);
}
