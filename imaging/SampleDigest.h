// The SHA-256 digest of a picture's decoded samples, as anyone can recompute
// it from the bytes the JPEG library's command-line decoder writes after its
// PNM header: rows top first, one byte per pixel for grey, red-green-blue for
// colour. The program's decodes hold blue-green-red rows (grey as three
// equal bytes); the digest turns each row back into that form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <openssl/types.h>

class CSampleDigest {
public:
    CSampleDigest();
    ~CSampleDigest();
    CSampleDigest(const CSampleDigest&) = delete;
    CSampleDigest& operator=(const CSampleDigest&) = delete;

    // Starts a new digest of a picture whose file holds components channels:
    // 1 keeps one byte of each blue-green-red pixel, any other count turns it
    // into red-green-blue.
    void Start(int components);
    // count rows of width blue-green-red pixels, stride bytes apart.
    void AddBgrRows(const uint8_t* rows, size_t width, size_t count, size_t stride);
    // Bytes as they are.
    void AddBytes(const uint8_t* bytes, size_t length);
    // The digest in lower-case hex; Start begins the next one.
    std::string Finish();

private:
    struct CContextFree {
        void operator()(EVP_MD_CTX* context) const;
    };
    std::unique_ptr<EVP_MD_CTX, CContextFree> m_context;
    std::vector<uint8_t> m_row;
    int m_nComponents = 3;
};
