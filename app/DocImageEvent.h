// WM_DOC_IMAGE as a Qt event: the document sends it to each of its views,
// synchronously, with DropCache before a decode and Stored after a picture
// was stored.
#pragma once

#include <QEvent>

#include "app/ResourceIds.h"
#include "imaging/DocImageObserver.h"

class CDocImageEvent : public QEvent {
public:
    explicit CDocImageEvent(EDocImageCode code) : QEvent(EventType()), m_code(code) {}

    EDocImageCode Code() const { return m_code; }

    // The event type, registered under the message's own number.
    static QEvent::Type EventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType(WM_DOC_IMAGE));
        return type;
    }

private:
    EDocImageCode m_code;
};
