#include "cli/JsonText.h"

#include <gtest/gtest.h>

namespace {

TEST(AJsonText, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonQuoted("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
}

TEST(AJsonText, KeepsValidUtf8AndReplacesBrokenSequences) {
    EXPECT_EQ(JsonQuoted("写真.jpg"), "\"写真.jpg\"");
    EXPECT_EQ(JsonQuoted("\x82\xA0x"), "\"\uFFFD\uFFFDx\"");
    EXPECT_EQ(JsonQuoted("\xE5\x86"), "\"\uFFFD\uFFFD\"") << "a sequence cut short";
    EXPECT_EQ(JsonQuoted("\xC0\xAF"), "\"\uFFFD\uFFFD\"") << "an overlong form";
}

}  // namespace
