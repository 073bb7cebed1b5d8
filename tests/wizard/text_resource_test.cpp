#include <gtest/gtest.h>

#include <string>

#include "wizard/text_resource.h"

TEST(TextResourceLength, Cases)
{
    struct Case {
        std::string data;
        std::string shown;
    } cases[] = {
        {"Line one\r\nLine two\r\n.\r\n", "Line one\r\nLine two"},
        {"Line\r\n.\r\nafter the end\r\n", "Line"},
        {"A. sentence\r\n.5 is not a stop line\r\n.\r\n", "A. sentence\r\n.5 is not a stop line"},
        {"", ""},
        // Without the terminator line the whole resource is shown, and nothing past it is read.
        {"No terminator\r\n", "No terminator\r\n"},
        {"Cut terminator\r\n.\r", "Cut terminator\r\n.\r"},
        // A NUL also ends the text.
        {std::string("Before\0after\r\n.\r\n", 18), "Before"},
        // The closing line only counts after a line end.
        {".\r\nStill text\r\n.\r\n", ".\r\nStill text"},
    };
    for (const Case &c : cases) {
        // The data sits at the very end of its own heap block, so that ASan sees any read past it.
        char *data = new char[c.data.size()];
        c.data.copy(data, c.data.size());
        EXPECT_EQ(c.shown.size(), TextResourceLength(data, c.data.size())) << c.data;
        delete[] data;
    }
}
