// The hex codec library: bytes to upper-case hexadecimal text and back.
// Every piece of JPEG data the program holds passes through these conversions,
// so they keep no state and may be called from any thread, on any object.
#pragma once

#include <string>

#define BRASTEL_EXPORT __attribute__((visibility("default")))

class BRASTEL_EXPORT CCipher {
public:
    // Receives the texts that the checking conversions would show in a message
    // box. The library links no user interface: the program installs its own
    // handler; without one the text goes to standard error.
    using MessageHandler = void (*)(const char* text);
    static void SetMessageHandler(MessageHandler handler);

    CCipher();
    CCipher(const CCipher&) = default;
    CCipher& operator=(const CCipher&) = default;
    virtual ~CCipher();

    // Writes 2*n upper-case hex characters and a NUL; out holds 2*n+1 bytes.
    void Bin2CharHex(char* out, const unsigned char* in, int n) const;

    // Converts at most 200 characters (100 bytes). Returns the byte count, or the
    // negated sum of the error bits: 1 odd length, 2 longer than 200 characters,
    // 4 a character outside 0-9 and A-F. On an error nothing is written;
    // otherwise a NUL follows the bytes, so out holds count+1 bytes.
    int CharHex2Bin(unsigned char* out, const char* in) const;

    void CharToHexChar(unsigned char* out, const unsigned char* in, int n) const;
    // Converts n character pairs without length checks; 1 and a message on a bad
    // digit, with the bytes before it written. No NUL is written.
    int HexCharToChar(unsigned char* out, const unsigned char* in, int n) const;
    // Like the two above, with a '%' in front of every pair.
    void CharToPercentChar(unsigned char* out, const unsigned char* in, int n) const;
    int PercentCharToChar(unsigned char* out, const unsigned char* in, int n) const;

    std::string Bin2CStringHex(const unsigned char* in, int n) const;
    // As CharHex2Bin; -2 at once for more than 200 characters.
    int CStringHex2Bin(unsigned char* out, const std::string& hex) const;
    std::string CString2CStringHex(const std::string& text) const;
    // The text whose hex form is given, or the empty text when it is not valid hex.
    std::string CStringHex2CString(const std::string& hex) const;

    // Copies the version text and its NUL; out holds at least 32 bytes.
    void GetVersion(char* out) const;

    int Status() const { return m_nStatus; }

private:
    int m_nStatus;
};
