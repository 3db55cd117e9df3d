// The one replaceable place where the core shows a message.
#include "util/MessageSink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hexcodec/Cipher.h"
#include "util/TextHelpers.h"

namespace {

class AMessageSink : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = SetMessageSink([this](const std::string& text) { m_texts.push_back(text); });
    }
    void TearDown() override { SetMessageSink(m_previous); }

    std::vector<std::string> m_texts;
    MessageSink m_previous;
};

TEST_F(AMessageSink, ReceivesTheTooLongMessageOfAFiveDigitLength) {
    EXPECT_EQ(FormatHex4(0x10000), "10000");
    EXPECT_EQ(m_texts, std::vector<std::string>{"文字数が長すぎて対応しておりません"});
}

TEST_F(AMessageSink, ReceivesTheMessagesOfTheHexCodec) {
    const CCipher cipher;
    unsigned char out[2] = {};
    const unsigned char bad[] = "G0";
    EXPECT_EQ(cipher.HexCharToChar(out, bad, 1), 1);
    EXPECT_EQ(m_texts, std::vector<std::string>{"おっと(in CCipher::HexCharToChar_1)"});
}

TEST_F(AMessageSink, IsReturnedWhenAnotherReplacesIt) {
    std::vector<std::string> second;
    const MessageSink replaced =
        SetMessageSink([&second](const std::string& text) { second.push_back(text); });
    ShowMessage("to the second");
    replaced("through the returned one");
    SetMessageSink(replaced);
    ShowMessage("back to the first");

    EXPECT_EQ(second, std::vector<std::string>{"to the second"});
    EXPECT_EQ(m_texts, (std::vector<std::string>{"through the returned one", "back to the first"}));
}

}  // namespace
