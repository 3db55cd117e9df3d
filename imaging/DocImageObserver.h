// How the document's decode is told to its views (the message WM_DOC_IMAGE):
// once before a picture is decoded and once after it was stored. The window
// program turns each code into a Qt event; the core knows only this interface.
#pragma once

#include <string>

struct CPackedPicture;

// The codes of WM_DOC_IMAGE, with the message's own numbers.
enum class EDocImageCode {
    // A new picture is about to be decoded: views drop their drawing cache.
    DropCache = 300,
    // A new picture was stored: views rebuild and redraw.
    Stored = 200,
};

class IDocImageObserver {
public:
    virtual ~IDocImageObserver() = default;
    virtual void OnDocImage(EDocImageCode code) = 0;
};

// The document's decode: no name check; DropCache before decoding, Stored
// after picture was replaced. A failed decode leaves picture as it was and
// sends nothing more.
bool DecodeJpegForDocument(const std::string& path, CPackedPicture& picture,
                           IDocImageObserver& observer);
