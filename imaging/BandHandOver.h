// Bands of decoded rows handed from the thread that decodes them to the one
// that uses them, through a few slots: neither side ever holds more than
// those, and the decoding side waits while the using side is behind. An
// exception of the decoding side is carried over and thrown on the using side.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <vector>

// What the decoding side knows once its decode has started.
struct CBandShape {
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    // Channels of the file: 1 grey, 3 colour, 4 CMYK or YCCK.
    int m_nComponents = 3;
    // The decode holds all the picture's coefficients (a file of several
    // scans, such as a progressive one): megabytes a megapixel.
    bool m_bAllCoefficients = false;
};

class CBandHandOver {
public:
    // The decoding side. Start makes the slots (may throw std::bad_alloc);
    // FreeSlot waits for one and gives nullptr once the using side stopped;
    // Publish hands over the slot just filled with rows rows. End tells the
    // decode's end: its warnings, or nullopt when it failed; Fail carries an
    // exception instead.
    void Start(const CBandShape& shape, size_t bandBytes);
    uint8_t* FreeSlot();
    void Publish(uint32_t rows);
    void End(std::optional<int> warnings);
    void Fail(std::exception_ptr error);

    // The using side. Each call waits for its answer and throws what the
    // decoding side carried. WaitForStart gives nullopt when the decode ended
    // before it started; NextBand gives back the band before and the next
    // one (rows rows), nullptr when the decode ended without it; WaitForEnd
    // what End told. Stop lets the decoding side go at its next band.
    std::optional<CBandShape> WaitForStart();
    const uint8_t* NextBand(uint32_t& rows);
    std::optional<int> WaitForEnd();
    void Stop();

private:
    static constexpr size_t kSlots = 3;

    void RethrowCarried() const;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::array<std::vector<uint8_t>, kSlots> m_slots;
    std::array<uint32_t, kSlots> m_rows{};
    // Bands published and bands given back, counted from the start.
    uint64_t m_nPublished = 0;
    uint64_t m_nReturned = 0;
    bool m_bHoldingBand = false;
    std::optional<CBandShape> m_shape;
    bool m_bEnded = false;
    bool m_bStopped = false;
    std::optional<int> m_endWarnings;
    std::exception_ptr m_error;
};
