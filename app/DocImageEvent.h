// WM_DOC_IMAGE as a Qt event: the document sends it to each of its views,
// synchronously, with the code 300 before a decode and 200 after a picture
// was stored.
#pragma once

#include <QEvent>

#include "app/ResourceIds.h"

class CDocImageEvent : public QEvent {
public:
    explicit CDocImageEvent(int code) : QEvent(EventType()), m_nCode(code) {}

    int Code() const { return m_nCode; }

    // The event type, registered under the message's own number.
    static QEvent::Type EventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType(WM_DOC_IMAGE));
        return type;
    }

private:
    int m_nCode;
};
