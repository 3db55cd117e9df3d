#include "imaging/BandHandOver.h"

void CBandHandOver::Start(const CBandShape& shape, size_t bandBytes) {
    std::array<std::vector<uint8_t>, kSlots> slots;
    for (std::vector<uint8_t>& slot : slots) {
        slot.resize(bandBytes);
    }
    const std::lock_guard lock(m_mutex);
    m_slots = std::move(slots);
    m_shape = shape;
    m_changed.notify_all();
}

uint8_t* CBandHandOver::FreeSlot() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_bStopped || m_nPublished - m_nReturned < kSlots; });
    return m_bStopped ? nullptr : m_slots[m_nPublished % kSlots].data();
}

void CBandHandOver::Publish(uint32_t rows) {
    const std::lock_guard lock(m_mutex);
    m_rows[m_nPublished % kSlots] = rows;
    ++m_nPublished;
    m_changed.notify_all();
}

void CBandHandOver::End(std::optional<int> warnings) {
    const std::lock_guard lock(m_mutex);
    m_endWarnings = warnings;
    m_bEnded = true;
    m_changed.notify_all();
}

void CBandHandOver::Fail(std::exception_ptr error) {
    const std::lock_guard lock(m_mutex);
    m_error = std::move(error);
    m_bEnded = true;
    m_changed.notify_all();
}

std::optional<CBandShape> CBandHandOver::WaitForStart() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_shape || m_bEnded; });
    RethrowCarried();
    return m_shape;
}

const uint8_t* CBandHandOver::NextBand(uint32_t& rows) {
    std::unique_lock lock(m_mutex);
    if (m_bHoldingBand) {
        ++m_nReturned;
        m_bHoldingBand = false;
        m_changed.notify_all();
    }
    m_changed.wait(lock, [&] { return m_nPublished > m_nReturned || m_bEnded; });
    if (m_nPublished == m_nReturned) {
        RethrowCarried();
        return nullptr;
    }
    m_bHoldingBand = true;
    rows = m_rows[m_nReturned % kSlots];
    return m_slots[m_nReturned % kSlots].data();
}

std::optional<int> CBandHandOver::WaitForEnd() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_bEnded; });
    RethrowCarried();
    return m_endWarnings;
}

void CBandHandOver::Stop() {
    const std::lock_guard lock(m_mutex);
    m_bStopped = true;
    m_changed.notify_all();
}

void CBandHandOver::RethrowCarried() const {
    if (m_error) {
        std::rethrow_exception(m_error);
    }
}
