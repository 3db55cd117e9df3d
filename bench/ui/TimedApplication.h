// What the blocking benchmarks share: an application that times every event
// its loop hands out, so a window's longest unattended stretch can be named
// with what received it.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// The user's action that starts the work, timed by the benchmark itself.
inline constexpr int kDropDelivery = -1;
inline constexpr int kNextDelivery = -2;
inline constexpr int kPreviewDelivery = -3;
inline constexpr int kFinishDelivery = -4;

struct CDelivery {
    qint64 nanoseconds;
    int type;
    std::string receiver;
};

// Times each event the loop hands out; events sent from inside a handler
// count as part of the handler that sent them.
class CTimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<QProgressBar*>(receiver) != nullptr) {
            ++m_nBarPaints;
        }
        if (m_nDepth > 0) {
            return QApplication::notify(receiver, event);
        }
        const int type = event->type();
        // Named first: a single-shot timer is gone once it has fired.
        std::string name = Describe(receiver);
        QElapsedTimer clock;
        clock.start();
        ++m_nDepth;
        const bool handled = QApplication::notify(receiver, event);
        --m_nDepth;
        Record({clock.nsecsElapsed(), type, std::move(name)});
        return handled;
    }

    // Keeps the longest delivery of each kind of event and receiver.
    void Record(CDelivery delivery) {
        const auto same =
            std::find_if(m_slowest.begin(), m_slowest.end(), [&](const CDelivery& kept) {
                return kept.type == delivery.type && kept.receiver == delivery.receiver;
            });
        if (same == m_slowest.end()) {
            m_slowest.push_back(std::move(delivery));
        } else if (same->nanoseconds < delivery.nanoseconds) {
            *same = std::move(delivery);
        }
    }

    // The longest deliveries first.
    std::vector<CDelivery> Slowest() const {
        std::vector<CDelivery> sorted = m_slowest;
        std::sort(sorted.begin(), sorted.end(), [](const CDelivery& a, const CDelivery& b) {
            return a.nanoseconds > b.nanoseconds;
        });
        sorted.resize(std::min<size_t>(sorted.size(), 8));
        return sorted;
    }
    int BarPaints() const { return m_nBarPaints; }

private:
    static std::string Describe(const QObject* receiver) {
        return std::string(receiver->metaObject()->className()) + " " +
               receiver->objectName().toStdString();
    }

    int m_nDepth = 0;
    int m_nBarPaints = 0;
    std::vector<CDelivery> m_slowest;
};

inline const char* EventName(int type) {
    switch (type) {
        case 0x1660:
            return "scan progress";
        case 0x1661:
            return "scan finished";
        case QEvent::MetaCall:
            return "queued call (next file)";
        case QEvent::Timer:
            return "timer";
        case QEvent::UpdateRequest:
            return "repaint";
        case kDropDelivery:
            return "the drop";
        case kNextDelivery:
            return "Next pressed";
        case kPreviewDelivery:
            return "修正結果を確認 pressed";
        case kFinishDelivery:
            return "Finish pressed";
        default:
            return "other";
    }
}

// The size and a 64-bit FNV-1a digest of bytes, so that what two builds
// wrote or logged can be told apart at a glance.
inline std::string SizeAndDigest(const std::string& bytes) {
    uint64_t digest = 14695981039346656037ULL;
    for (const char byte : bytes) {
        digest = (digest ^ static_cast<uint8_t>(byte)) * 1099511628211ULL;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%zu bytes, digest %016llx", bytes.size(),
                  static_cast<unsigned long long>(digest));
    return text;
}

inline void PrintSlowest(const CTimedApplication& app) {
    std::printf("longest delivery of each kind:\n");
    for (const CDelivery& delivery : app.Slowest()) {
        std::printf("  %8.1f ms  %-24s %s\n", static_cast<double>(delivery.nanoseconds) / 1e6,
                    EventName(delivery.type), delivery.receiver.c_str());
    }
}
