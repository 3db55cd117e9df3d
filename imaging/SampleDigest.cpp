#include "imaging/SampleDigest.h"

#include <openssl/evp.h>

#include <new>

void CSampleDigest::CContextFree::operator()(EVP_MD_CTX* context) const {
    EVP_MD_CTX_free(context);
}

CSampleDigest::CSampleDigest() : m_context(EVP_MD_CTX_new()) {
    if (!m_context) {
        throw std::bad_alloc();
    }
}

CSampleDigest::~CSampleDigest() = default;

void CSampleDigest::Start(int components) {
    m_nComponents = components;
    EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr);
}

void CSampleDigest::AddBgrRows(const uint8_t* rows, size_t width, size_t count, size_t stride) {
    const size_t channels = m_nComponents == 1 ? 1 : 3;
    m_row.resize(width * channels);
    for (size_t y = 0; y < count; ++y) {
        const uint8_t* bgr = rows + y * stride;
        uint8_t* out = m_row.data();
        if (channels == 1) {
            for (size_t x = 0; x < width; ++x) {
                out[x] = bgr[3 * x];
            }
        } else {
            for (size_t x = 0; x < width; ++x, bgr += 3, out += 3) {
                out[0] = bgr[2];
                out[1] = bgr[1];
                out[2] = bgr[0];
            }
        }
        EVP_DigestUpdate(m_context.get(), m_row.data(), m_row.size());
    }
}

void CSampleDigest::AddBytes(const uint8_t* bytes, size_t length) {
    EVP_DigestUpdate(m_context.get(), bytes, length);
}

std::string CSampleDigest::Finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context.get(), digest, &length);
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}
