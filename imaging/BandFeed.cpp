#include "imaging/BandFeed.h"

#include <algorithm>
#include <thread>

#include "util/FileHandle.h"
#include "util/TextHelpers.h"

bool CBandDecoder::Open(const CPictureSource& source) {
    CJpegInput input{nullptr, source.m_pBytes, source.m_nLength};
    if (source.m_bFile) {
        if (source.m_bNameChecked && !HasJpgName(source.m_strPath)) {
            return false;
        }
        m_file.reset(OpenRegularFileForReading(source.m_strPath));
        if (!m_file) {
            return false;
        }
        input = {m_file.get()};
    }
    return m_reader.Open(input, ESampleForm::PackedBgr);
}

bool CBandDecoder::OpenPieces(const uint8_t* bytes, size_t length, const uint8_t* more,
                              size_t moreLength) {
    return m_reader.Open({nullptr, bytes, length, more, moreLength}, ESampleForm::PackedBgr);
}

JDIMENSION CBandDecoder::ReadBand(uint8_t* rows, JDIMENSION end) {
    const JDIMENSION count =
        std::min({kBandRows, m_reader.Height() - m_reader.NextRow(), end - m_reader.NextRow()});
    return m_reader.ReadRows(rows, m_reader.RowBytes(), count) ? count : 0;
}

CBandShape CBandDecoder::Shape() const {
    return {m_reader.Width(), m_reader.Height(), m_reader.FileComponents(),
            m_reader.MultipleScans()};
}

CMcuLayout CBandDecoder::Layout() const {
    return {m_reader.Height(), m_reader.McuRowHeight(), m_reader.McusPerRow(),
            m_reader.RestartInterval()};
}

namespace {

// The decode on the caller's thread, into one band of its own.
class CDirectFeed : public IBandFeed {
public:
    explicit CDirectFeed(const CPictureSource& source) : m_source(source) {}
    std::optional<CBandShape> Start() override {
        if (!m_decoder.Open(m_source)) {
            return std::nullopt;
        }
        m_band.resize(m_decoder.BandBytes());
        return m_decoder.Shape();
    }
    const uint8_t* NextBand(uint32_t& rows) override {
        rows = m_decoder.ReadBand(m_band.data());
        return rows > 0 ? m_band.data() : nullptr;
    }
    std::optional<int> Finish() override {
        return m_decoder.Finish() ? std::optional<int>(m_decoder.Warnings()) : std::nullopt;
    }

private:
    const CPictureSource& m_source;
    CBandDecoder m_decoder;
    std::vector<uint8_t> m_band;
};

// The decoding thread: source's whole decode into handOver, or until the
// using side stops. Nothing escapes it: an exception is carried over.
void DecodeIntoHandOver(const CPictureSource& source, CBandHandOver& handOver) {
    try {
        CBandDecoder decoder;
        if (!decoder.Open(source)) {
            handOver.End(std::nullopt);
            return;
        }
        handOver.Start(decoder.Shape(), decoder.BandBytes());
        while (decoder.RowsLeft()) {
            uint8_t* slot = handOver.FreeSlot();
            if (slot == nullptr) {
                return;
            }
            const JDIMENSION rows = decoder.ReadBand(slot);
            if (rows == 0) {
                handOver.End(std::nullopt);
                return;
            }
            handOver.Publish(rows);
        }
        handOver.End(decoder.Finish() ? std::optional<int>(decoder.Warnings()) : std::nullopt);
    } catch (...) {
        handOver.Fail(std::current_exception());
    }
}

// The decode on a thread of its own, which ends with the feed.
class CThreadedFeed : public IBandFeed {
public:
    explicit CThreadedFeed(const CPictureSource& source)
        : m_thread(DecodeIntoHandOver, std::cref(source), std::ref(m_handOver)) {}
    ~CThreadedFeed() override {
        m_handOver.Stop();
        m_thread.join();
    }
    CThreadedFeed(const CThreadedFeed&) = delete;
    CThreadedFeed& operator=(const CThreadedFeed&) = delete;
    std::optional<CBandShape> Start() override { return m_handOver.WaitForStart(); }
    const uint8_t* NextBand(uint32_t& rows) override { return m_handOver.NextBand(rows); }
    std::optional<int> Finish() override { return m_handOver.WaitForEnd(); }

private:
    // Declared before the thread, which uses it from its first moment.
    CBandHandOver m_handOver;
    std::thread m_thread;
};

}  // namespace

std::unique_ptr<IBandFeed> MakeBandFeed(const CPictureSource& source, ECheckThreads threads) {
    if (threads == ECheckThreads::Two) {
        return std::make_unique<CThreadedFeed>(source);
    }
    return std::make_unique<CDirectFeed>(source);
}
